#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "support/LoopbackServer.h"

// A real SMTP server on loopback that keeps every mail it takes.
class MailSink {
public:
    MailSink();

    bool listening() const { return server_->listening(); }
    int port() const { return server_->port(); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    // The mails taken so far.
    int count() const;
    // Mail `n` (from 1): its envelope sender and recipients, and its bytes as received.
    QStringList envelope(int n) const;
    QByteArray content(int n) const;

private:
    QByteArray read(const QString& name) const;

    QTemporaryDir folder_;
    std::unique_ptr<LoopbackServer> server_;
};

// A real HTTP server on loopback over a folder the test fills.
class WebFolder {
public:
    WebFolder();

    bool listening() const { return server_->listening(); }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_->port()); }
    // Writes `bytes` at `path` (below the served folder); false on failure.
    bool put(const QString& path, const QByteArray& bytes) const;
    void remove(const QString& path) const;

private:
    QString file(const QString& path) const;

    QTemporaryDir folder_;
    std::unique_ptr<LoopbackServer> server_;
};
