#pragma once
// TForm1: the start-up splash. Borderless, always on top, centred, with an hourglass
// cursor; it runs the start-up sequence one second after it is shown.

#include "app/Startup.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace ogx {

class TForm1 : public QWidget, public StartupView {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // The version as the splash shows it: "ver. " and the version padded with "0" on the
    // right to at least six characters.
    static QString versionLabel();

    // StartupView
    void setSplashText(const QString &text) override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int position) override;
    void stepProgress() override;
    void hideSplash() override;
    void processEvents() override;

    // Forwarded to the main window once it exists.
    void setStatusText(const QString &text) override;
    void setCaption(const QString &text) override;
    QString statusText() const { return m_status; }
    QString caption() const { return m_caption; }

signals:
    // Emitted once, one second after the splash is shown.
    void startRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_label;
    QProgressBar *m_bar;
    QString m_status;
    QString m_caption;
    bool m_armed = false;
};

} // namespace ogx
