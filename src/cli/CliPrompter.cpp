#include "cli/CliPrompter.h"

namespace ogx {

int CliPrompter::Mesaj(const QString &title, const QString &text, int, int buttons)
{
    if (buttons == 0)
        return ResultCancel;
    m_err << title << ": " << QString(text).replace(u'\r', u' ').simplified() << Qt::endl;
    if (buttons & ButtonOk)
        return ResultOk;
    if (buttons & ButtonNo)
        return ResultNo;
    return ResultCancel;
}

void CliPrompter::ShowProblemHint(const QString &text, QWidget *)
{
    m_err << "Problema ! " << text << Qt::endl;
}

} // namespace ogx
