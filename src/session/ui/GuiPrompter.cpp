#include "session/ui/GuiPrompter.h"

#include "session/ui/ContorU.h"
#include "session/ui/EroriU.h"
#include "widgets/BalloonHint.h"

#include <QProgressBar>

namespace ogx {

int GuiPrompter::Mesaj(const QString &title, const QString &text, int kind, int buttons)
{
    return m_erori.Mesaj(title, text, kind, buttons);
}

void GuiPrompter::ShowProblemHint(const QString &text, QWidget *control)
{
    BalloonHint::showHint(control, QStringLiteral("Problema !"), text, 5000);
}

void GuiPrompter::ContorShow(const QString &caption, int maximum)
{
    m_contor.setDescription(caption);
    m_contor.Bar()->setMaximum(maximum > 0 ? maximum : 100);
    m_contor.ContorShow();
}

void GuiPrompter::ContorStep() { m_contor.ContorStep(); }
void GuiPrompter::ContorHide() { m_contor.ContorHide(); }

} // namespace ogx
