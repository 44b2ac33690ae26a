#include "session/ui/ContorU.h"

#include "widgets/GradientPanel.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace ogx {

TContor::TContor(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Contor"));
    setWindowTitle(QStringLiteral("Contor"));
    setFixedSize(323, 65);
    setCursor(Qt::WaitCursor);
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_back = new GradientPanel(this);
    m_back->setGeometry(rect());
    m_back->setDirection(GradientPanel::Direction::CentreToEdges);
    m_back->setColors(QColor(172, 184, 204), QColor(82, 102, 135));

    m_descr = new QLabel(m_back);
    m_descr->setObjectName(QStringLiteral("Descr"));
    m_descr->setGeometry(11, 6, 301, 20);
    QFont f = m_descr->font();
    f.setBold(true);
    m_descr->setFont(f);
    m_descr->setAlignment(Qt::AlignCenter);

    m_bar = new QProgressBar(m_back);
    m_bar->setObjectName(QStringLiteral("Bar"));
    m_bar->setGeometry(11, 30, 300, 24);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setFormat(QStringLiteral("%p%"));
    m_bar->setTextVisible(true);
    m_bar->setAlignment(Qt::AlignCenter);
}

void TContor::setDescription(const QString &text)
{
    m_descr->setText(text);
}

void TContor::ContorShow()
{
    m_bar->setValue(m_bar->minimum());
    if (isVisible())
        return;
    m_form = QApplication::activeWindow();
    if (m_form == this)
        m_form = nullptr;
    if (m_form) {
        m_form->setEnabled(false);
        m_form->setCursor(Qt::BusyCursor);
    }
    show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TContor::ContorStep()
{
    if (m_bar->value() < m_bar->maximum())
        m_bar->setValue(m_bar->value() + 1);
    QCoreApplication::processEvents();
}

void TContor::ContorHide()
{
    if (!isVisible())
        return;
    hide();
    if (m_form) {
        m_form->setEnabled(true);
        m_form->unsetCursor();
        if (m_form->isVisible()) {
            m_form->activateWindow();
            m_form->setFocus();
        }
    }
    m_form = nullptr;
}

void TContor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

} // namespace ogx
