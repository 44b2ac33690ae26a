#pragma once
// A Prompter that records every message and hint and answers from a script.

#include "datastore/Prompter.h"

#include <QString>
#include <QWidget>

#include <deque>
#include <vector>

namespace ogx::test {

struct ShownMessage {
    QString title;
    QString text;
    int kind = 0;
    int buttons = 0;
};

struct ShownHint {
    QString text;
    QString control; // objectName of the control
};

class ScriptedPrompter final : public Prompter {
public:
    std::deque<int> answers; // results of the questions in order; OK (1) when none is left
    std::vector<ShownMessage> messages;
    std::vector<ShownHint> hints;

    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        messages.push_back({title, text, kind, buttons});
        if (answers.empty())
            return buttons == 0 ? ResultCancel : ResultOk;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProblemHint(const QString &text, QWidget *control) override
    {
        hints.push_back({text, control ? control->objectName() : QString()});
    }
    QStringList titles() const
    {
        QStringList t;
        for (const auto &m : messages)
            t.append(m.title);
        return t;
    }
    void clear()
    {
        messages.clear();
        hints.clear();
        answers.clear();
    }
};

} // namespace ogx::test
