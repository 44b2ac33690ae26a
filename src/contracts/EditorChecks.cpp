#include "contracts/EditorChecks.h"

namespace ogx {

bool ConfirmOutcome(Prompter &prompter, const CheckOutcome &outcome,
                    const std::function<QWidget *(const QString &)> &controlOf)
{
    if (outcome.refusal) {
        prompter.ShowProblemHint(outcome.refusal->text, controlOf ? controlOf(outcome.refusal->control) : nullptr);
        return false;
    }
    for (const EditorIssue &q : outcome.questions)
        if (prompter.Mesaj(q.title, q.text, Warning, ButtonYes | ButtonNo) != ResultYes)
            return false;
    return true;
}

} // namespace ogx
