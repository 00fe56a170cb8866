#include "ui/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

QMessageBox::Icon qtIcon(Prompter::Icon icon) {
    switch (icon) {
        case Prompter::Icon::Critical:
            return QMessageBox::Critical;
        case Prompter::Icon::Exclamation:
            return QMessageBox::Warning;
        case Prompter::Icon::Information:
            return QMessageBox::Information;
        case Prompter::Icon::Question:
            return QMessageBox::Question;
        case Prompter::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// What a screen reader says the box is, beside its title and text.
QString kindOf(Prompter::Icon icon) {
    // In the order of Prompter::Icon.
    static const char* const kinds[] = {"", "Error", "Warning", "Information", "Question"};
    static_assert(int(Prompter::Icon::Question) == 4);
    return QString::fromLatin1(kinds[int(icon)]);
}

// Messages carry CR LF line breaks; a label wants plain LF. An address
// (a word holding "://") is kept on one line: a word joiner after each of
// its slashes, dots and hyphens stops the label breaking the line there.
QString displayed(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    static const QRegularExpression address(QStringLiteral("\\S+://\\S+"));
    static const QRegularExpression breakable(QStringLiteral("([/.\\-?&=])(?=\\S)"));
    QString kept;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : address.globalMatch(out)) {
        kept += out.mid(from, match.capturedStart() - from);
        kept += QString(match.captured()).replace(breakable, QStringLiteral("\\1\u2060"));
        from = match.capturedEnd();
    }
    return kept + out.mid(from);
}

QString titleOrApplication(const QString& title) {
    return title.isEmpty() ? applicationTitle() : title;
}

}  // namespace

QWidget* QtPrompter::owner() const {
    return parent_ ? parent_ : QApplication::activeWindow();
}

Prompter::Answer QtPrompter::message(const QString& text, const QString& title, Icon icon,
                                     Buttons buttons) {
    QMessageBox box(qtIcon(icon), titleOrApplication(title), displayed(text), QMessageBox::NoButton,
                    owner());
    box.setTextFormat(Qt::PlainText);
    box.setAccessibleDescription(kindOf(icon));
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // A question that warns (deleting, overwriting) must not be confirmed by a stray Enter.
        box.setDefaultButton(icon == Icon::Exclamation ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> QtPrompter::input(const QString& prompt, const QString& title,
                                         const QString& defaultText) {
    bool ok = false;
    QString answer = QInputDialog::getText(owner(), titleOrApplication(title), displayed(prompt),
                                           QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

QString QtPrompter::openFileName(const QString& title, const QString& folder,
                                 const QString& filter) {
    return QFileDialog::getOpenFileName(owner(), title, folder, filter);
}

QString QtPrompter::saveFileName(const QString& title, const QString& suggestedPath,
                                 const QString& filter) {
    return QFileDialog::getSaveFileName(owner(), title, suggestedPath, filter);
}
