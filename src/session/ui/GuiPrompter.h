#pragma once
// The GUI's Prompter and Progress: the message box, the balloon hint and the progress
// window, so services ask and report without touching a widget.

#include "datastore/Prompter.h"

namespace ogx {

class TErori;
class TContor;

class GuiPrompter final : public Prompter, public Progress {
public:
    GuiPrompter(TErori &erori, TContor &contor) : m_erori(erori), m_contor(contor) {}

    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override;
    // The balloon titled "Problema !" at the control for 5 seconds; the focus stays.
    void ShowProblemHint(const QString &text, QWidget *control) override;

    // Sets the description and the maximum, then TContor::ContorShow.
    void ContorShow(const QString &caption, int maximum) override;
    void ContorStep() override;
    void ContorHide() override;

    TErori &erori() { return m_erori; }
    TContor &contor() { return m_contor; }

private:
    TErori &m_erori;
    TContor &m_contor;
};

} // namespace ogx
