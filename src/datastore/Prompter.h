#pragma once
// How the core asks the user something or tells them something. The GUI implements it
// with the system's message box and balloon hints; ogorix-cli prints and answers with
// defaults; tests script the answers.

#include <QString>

class QWidget;

namespace ogx {

// Message kinds and button flags of the system's message box.
enum MessageKind { Warning = 0, ErrorKind = 1, Information = 2, Confirmation = 3 };
enum MessageButton { ButtonYes = 1, ButtonNo = 2, ButtonOk = 4, ButtonCancel = 8 };
// Results: yes 6, no 7, OK 1, cancel 2.
enum MessageResult { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a message and returns the button chosen (MessageResult).
    virtual int Mesaj(const QString &title, const QString &text, int kind, int buttons) = 0;
    // Shows an input mistake next to the control (a balloon titled "Problema !" in the GUI).
    virtual void ShowProblemHint(const QString &text, QWidget *control) = 0;
};

// Progress of long work ("ContorShow"/"ContorStep"/"ContorHide" in the GUI).
class Progress {
public:
    virtual ~Progress() = default;
    virtual void ContorShow(const QString &caption, int maximum) = 0;
    virtual void ContorStep() = 0;
    virtual void ContorHide() = 0;
};

// No progress display (headless work).
class NoProgress final : public Progress {
public:
    void ContorShow(const QString &, int) override {}
    void ContorStep() override {}
    void ContorHide() override {}
};

} // namespace ogx
