#pragma once
// TForm4, "Administrare program": the administrator password, the unit's identity, the
// tax constants, the network data path, the automatic backup folder and the editable
// templates. The window edits an AdminSettings object that the rest of the program
// reads; it is loaded once at start-up and keeps what was typed for the whole run.

#include "datastore/Prompter.h"
#include "datastore/ShellOpener.h"
#include "datastore/Workspace.h"
#include "session/AdminSettings.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace ogx {

class NumberEdit;

// One editable template: its caption in the templates menu, its file in the Data
// directory and the resource it is shipped as.
struct TemplateEntry {
    QString caption;
    QString file;
    QString resource;
};

class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(const Workspace &ws, AdminSettings &settings, Prompter &prompter, ShellOpener &shell,
           QWidget *parent = nullptr);

    // Seams the start-up fills (defaults: the datastore's functions, a folder dialog,
    // QApplication::beep, ending the event loops of the application).
    std::function<void()> installTemplates;
    std::function<bool(const QString &resourceName, const QString &target)> extractResourceFile;
    std::function<QString(const QString &title)> browseFolder;
    std::function<void()> endApplication;
    std::function<void()> beep;
    QString home; // where the default automatic backup folder is made

    // Fills the settings object and the fields from the settings files (start-up).
    void LoadAdminSettings();
    // Stores the locality type, name, county and constants ("&Memoreaza").
    void SaveAdminSettings();
    static QString CodeazaStr(const QString &text);

    // Empties both password inputs, focuses "Tip localitate" and shows the window modally.
    int ShowAdmin();

    // The path shown as "Cale Server :" (the start-up shows the server path in network mode).
    void setServerPathText(const QString &path);

    static const QList<TemplateEntry> &templates();

    // Commands, public so the session and the tests can run them without the mouse.
    void SchimbaParolaClick();
    void ModServerClick();
    void StergServerClick();
    void ModSalvariClick();
    void StergSalvariClick();
    void ModificaModelul(const TemplateEntry &entry);
    void RefaModelulInitial(const TemplateEntry &entry);

    AdminSettings &settings() { return m_settings; }
    QMenu *templatesMenu() const { return m_modele; }

protected:
    void done(int r) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void settingsToFields();
    void fieldsToSettings();
    void installFor(const TemplateEntry &entry);

    const Workspace &m_ws;
    AdminSettings &m_settings;
    Prompter &m_prompter;
    ShellOpener &m_shell;

    QLineEdit *m_parola1 = nullptr;
    QLineEdit *m_parola2 = nullptr;
    QPushButton *m_schimba = nullptr;
    QComboBox *m_tipLoc = nullptr;
    QLineEdit *m_comuna = nullptr;
    QComboBox *m_judet = nullptr;
    NumberEdit *m_bazac = nullptr;
    NumberEdit *m_impozit = nullptr;
    NumberEdit *m_cassp = nullptr;
    NumberEdit *m_salarMin = nullptr;
    NumberEdit *m_pretGrau = nullptr;
    QLabel *m_caleServer = nullptr;
    QLabel *m_caleSalvari = nullptr;
    QMenu *m_modele = nullptr;
};

} // namespace ogx
