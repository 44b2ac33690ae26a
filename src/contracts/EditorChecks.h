#pragma once
// What the contract and parcel editors must show when "&Memoreaza" is pressed: at most one
// refusal (a balloon hint on an input; the dialog stays open) or, when nothing is refused,
// the questions to confirm one after the other (a warning message box with Da and Nu;
// anything but Da leaves the dialog open).

#include "datastore/Prompter.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace ogx {

struct EditorIssue {
    QString control; // object name of the input ("NrCon", "Expira", "Supraf", ...)
    QString title;   // questions: the message box title; empty for refusals
    QString text;
};

struct CheckOutcome {
    std::optional<EditorIssue> refusal;
    QList<EditorIssue> questions;
};

// Shows the outcome: the refusal as a problem hint on its input (false), else every
// question as a warning with Da and Nu (false at the first answer that is not Da); true
// when the entry may be stored. `controlOf` finds an input by its name (may return null).
bool ConfirmOutcome(Prompter &prompter, const CheckOutcome &outcome,
                    const std::function<QWidget *(const QString &)> &controlOf);

} // namespace ogx
