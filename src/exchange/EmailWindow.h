#pragma once

#include <QStringList>

#include "ui/TaskWindow.h"

class BackgroundTask;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct MailMessage;

// The e-mail window: sends the latest pick's results, as the record window
// listed them, to one recipient through the SMTP server the user names.
class EmailWindow : public TaskWindow {
    Q_OBJECT

public:
    EmailWindow(AppContext& context, const QStringList& results, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(const QStringList& results);
    void buildLayout();
    void cmdSend_Click();
    // The first refusal of what was typed, or an empty text when all is well.
    QString refusal() const;
    void send(const QString& server, const MailMessage& mail);
    void sent(const QString& failure, bool stopped);
    // The server offered no encryption and the user had not allowed clear text.
    void refusedClearText(const QString& server, const QString& reason);

    QLabel* Image1_ = nullptr;
    QLineEdit* txtFrom_ = nullptr;
    QLineEdit* txtTo_ = nullptr;
    QLineEdit* txtServer_ = nullptr;
    QLineEdit* txtUser_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtSubject_ = nullptr;
    QPlainTextEdit* txtmsg_ = nullptr;
    QPushButton* cmdSend_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    BackgroundTask* poSendMail_ = nullptr;
};
