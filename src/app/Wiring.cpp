#include "app/Wiring.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

namespace ogx {
namespace {

// Until the system's own message box is wired in, questions use a plain dialog.
class BasicPrompter final : public Prompter {
public:
    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        if (buttons == 0)
            return ResultCancel;
        QMessageBox box(kind == ErrorKind ? QMessageBox::Critical
                            : kind == Confirmation ? QMessageBox::Question
                            : kind == Information  ? QMessageBox::Information
                                                   : QMessageBox::Warning,
                        title, QString(text).replace(u'\r', u'\n'));
        const struct { int flag; QMessageBox::StandardButton button; int result; } map[] = {
            {ButtonYes, QMessageBox::Yes, ResultYes}, {ButtonNo, QMessageBox::No, ResultNo},
            {ButtonOk, QMessageBox::Ok, ResultOk}, {ButtonCancel, QMessageBox::Cancel, ResultCancel}};
        for (const auto &m : map)
            if (buttons & m.flag)
                box.addButton(m.button);
        const int chosen = box.exec();
        for (const auto &m : map)
            if (chosen == m.button)
                return m.result;
        return ResultCancel;
    }
    void ShowProblemHint(const QString &, QWidget *) override {}
};

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
    : QObject(parent), m_shell(shell), m_prompter(std::make_unique<BasicPrompter>())
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
