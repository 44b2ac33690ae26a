#pragma once
// Messages of the core printed on standard error. Questions get the safe answer: OK when
// offered, else No, else Cancel (a headless run never confirms a destructive step).

#include "datastore/Prompter.h"

#include <QTextStream>

namespace ogx {

class CliPrompter final : public Prompter {
public:
    explicit CliPrompter(QTextStream &err) : m_err(err) {}
    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override;
    void ShowProblemHint(const QString &text, QWidget *) override;

private:
    QTextStream &m_err;
};

} // namespace ogx
