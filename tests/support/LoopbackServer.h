#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A real server program on a free loopback port, started for one test and
// always ended with it. "{port}" in the arguments stands for the port.
class LoopbackServer {
public:
    LoopbackServer(const QString& program, const QStringList& arguments,
                   const QString& workingFolder = QString());
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // False when the server did not come to listen in time (see log()).
    bool listening() const { return listening_; }
    int port() const { return port_; }
    QString log();

    // A loopback port that nothing listens on at the moment.
    static int freePort();

private:
    QProcess process_;
    int port_;
    bool listening_ = false;
};

// A loopback port that takes connections and never says a word: a server
// that hangs.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int port() const { return port_; }

private:
    int port_ = 0;  // set while the socket is made
    int socket_;
};
