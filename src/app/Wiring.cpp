#include "app/Wiring.h"

#include "session/ui/ContorU.h"
#include "session/ui/EroriU.h"
#include "session/ui/GuiPrompter.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace ogx {
namespace {

// The bare main window shown until the session windows are wired in.
class BareMainWindow : public QMainWindow {
public:
    BareMainWindow(const QString &caption, const QString &status)
    {
        setObjectName(QStringLiteral("Form3"));
        setWindowTitle(caption);
        resize(800, 500);
        statusBar()->addWidget(new QLabel(QStringLiteral("ESC - Iesire din program")));
        statusBar()->addWidget(new QLabel(status), 1);
    }
    std::function<void()> closed;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape)
            close();
        else
            QMainWindow::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent *e) override
    {
        QMainWindow::closeEvent(e);
        if (closed)
            closed();
    }
};

} // namespace

GuiWiring::GuiWiring(ShellOpener &shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_erori(std::make_unique<TErori>()),
      m_contor(std::make_unique<TContor>()), m_prompter(std::make_unique<GuiPrompter>(*m_erori, *m_contor))
{
}

GuiWiring::~GuiWiring() = default;

Prompter &GuiWiring::prompter() { return *m_prompter; }

StartupHooks GuiWiring::hooks(StartupView &)
{
    StartupHooks h;
    h.runSession = [this](Startup &s) { return runSession(s); };
    return h;
}

int GuiWiring::runSession(Startup &startup)
{
    auto *window = new BareMainWindow(startup.caption(), startup.statusText());
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_mainWindow = window;
    QEventLoop loop;
    window->closed = [&loop] { loop.quit(); };
    window->show();
    loop.exec();
    return 0;
}

void GuiWiring::bringForward()
{
    if (!m_mainWindow)
        return;
    if (m_mainWindow->isMinimized())
        m_mainWindow->showNormal();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

} // namespace ogx
