#pragma once
// Every window of the session, created once for the whole run and wired together:
//
//   ogx::SessionWindows session(ws, adminSettings, sessionState, shellOpener);
//   session.form4.LoadAdminSettings();                 // start-up step 10
//   session.form3.setStatusText(...); session.form3.setCaption(...);
//   session.logView.setDatabase(&db);
//   session.form3.writeLog = [&](const QString &t) { ogx::WriteLog(db, t); };
//   session.form3.automaticBackup = [&] { ... };       // the end-of-run backup
//   session.form3.onCommand = [&](ogx::MainCommand c) { ... };
//   session.form3.RunSession();
//
// Services get `session.prompter` as their Prompter and Progress.

#include "session/ui/AdministrareU.h"
#include "session/ui/ContorU.h"
#include "session/ui/EditPassU.h"
#include "session/ui/EroriU.h"
#include "session/ui/GuiPrompter.h"
#include "session/ui/LogViewU.h"
#include "session/ui/MainU.h"

namespace ogx {

struct SessionWindows {
    SessionWindows(const Workspace &ws, AdminSettings &adminSettings, SessionState &state, ShellOpener &shell)
        : prompter(erori, contor),
          form4(ws, adminSettings, prompter, shell),
          form3(ws, adminSettings, state, prompter, form4),
          editPass(prompter)
    {
        form3.logView = &logView;
    }
    SessionWindows(const SessionWindows &) = delete;
    SessionWindows &operator=(const SessionWindows &) = delete;

    TErori erori;
    TContor contor;
    GuiPrompter prompter;
    TForm4 form4;
    TForm3 form3;
    TLogView logView;
    TEditPassF editPass;
};

} // namespace ogx
