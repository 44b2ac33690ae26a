#pragma once
// One copy of Ogorix per user and desktop: the first copy listens on a local socket named
// after the user; a second copy asks it to come forward and ends without showing anything.

#include <QObject>
#include <QString>

class QLocalServer;

namespace ogx {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);

    // True when another copy runs (it has been asked to come forward).
    bool anotherCopyRuns();
    // Starts listening for later copies; false when the socket cannot be made.
    bool listen();

    static QString defaultKey();

signals:
    // A later copy asked this one to come forward.
    void activationRequested();

private:
    QString m_key;
    QLocalServer *m_server = nullptr;
};

} // namespace ogx
