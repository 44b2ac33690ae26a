#include "app/Form1U.h"

#include "datastore/Workspace.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace ogx {

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen)
{
    setObjectName(QStringLiteral("Form1"));
    setCursor(Qt::WaitCursor);
    setFixedSize(360, 150);
    setStyleSheet(QStringLiteral("QWidget#Form1 { background: #1f4e2c; border: 2px solid #c9a227; }"
                                 "QLabel { color: white; }"));

    auto *title = new QLabel(QStringLiteral("Ogorix"), this);
    QFont big = title->font();
    big.setPointSize(20);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    // Two overlaid labels give the version a shadow.
    auto *versionBox = new QWidget(this);
    versionBox->setFixedHeight(22);
    auto *shadow = new QLabel(versionLabel(), versionBox);
    shadow->setObjectName(QStringLiteral("Label2"));
    shadow->setStyleSheet(QStringLiteral("color: black;"));
    shadow->setGeometry(1, 1, 358, 20);
    shadow->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(versionLabel(), versionBox);
    version->setObjectName(QStringLiteral("Label3"));
    version->setGeometry(0, 0, 358, 20);
    version->setAlignment(Qt::AlignCenter);

    m_label = new QLabel(QStringLiteral("Incarcare date"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setTextVisible(false);
    m_bar->setMaximum(100);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(versionBox);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

QString TForm1::versionLabel()
{
    QString v = Workspace::versionText();
    while (v.size() < 6)
        v += u'0';
    return QStringLiteral("ver. ") + v;
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_armed)
        return;
    m_armed = true;
    QApplication::processEvents();
    QTimer::singleShot(1000, this, &TForm1::startRequested);
}

void TForm1::setSplashText(const QString &text) { m_label->setText(text); }
void TForm1::setProgressMaximum(int maximum) { m_bar->setMaximum(maximum); }
void TForm1::setProgress(int position) { m_bar->setValue(position); }
void TForm1::stepProgress() { m_bar->setValue(qMin(m_bar->value() + 1, m_bar->maximum())); }

void TForm1::hideSplash()
{
    unsetCursor();
    hide();
}

void TForm1::processEvents() { QApplication::processEvents(); }
void TForm1::setStatusText(const QString &text) { m_status = text; }
void TForm1::setCaption(const QString &text) { m_caption = text; }

} // namespace ogx
