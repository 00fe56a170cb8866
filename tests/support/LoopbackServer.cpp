#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QThread>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket bound to a free loopback port; the port is written to `port`.
int boundSocket(int& port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (s >= 0) ::close(s);
        port = 0;
        return -1;
    }
    port = ntohs(address.sin_port);
    return s;
}

// True once something accepts connections on the loopback port.
bool accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    const sockaddr_in address = loopback(port);
    const bool connected =
        ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return connected;
}

}  // namespace

LoopbackServer::LoopbackServer(const QString& program, const QStringList& arguments,
                               const QString& workingFolder)
    : port_(freePort()) {
    QStringList withPort;
    for (const QString& a : arguments)
        withPort << QString(a).replace(QStringLiteral("{port}"), QString::number(port_));
    process_.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty()) process_.setWorkingDirectory(workingFolder);
    process_.start(program, withPort);
    if (!process_.waitForStarted(5000)) return;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        if (accepts(port_)) {
            listening_ = true;
            return;
        }
        QThread::msleep(30);
    }
}

LoopbackServer::~LoopbackServer() {
    process_.kill();
    process_.waitForFinished(3000);
}

QString LoopbackServer::log() {
    return QString::fromLocal8Bit(process_.readAll());
}

int LoopbackServer::freePort() {
    int port = 0;
    const int s = boundSocket(port);
    if (s >= 0) ::close(s);
    return port;
}

SilentListener::SilentListener() : socket_(boundSocket(port_)) {
    if (socket_ >= 0) ::listen(socket_, 8);
}

SilentListener::~SilentListener() {
    if (socket_ >= 0) ::close(socket_);
}
