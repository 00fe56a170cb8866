#pragma once

#include <QString>
#include <QStringList>

// Names in the scripts people write them in, each whole within a field of 50
// bytes: Polish and Czech, Turkish with its dotted and dotless i, Greek,
// Cyrillic, Vietnamese, Chinese, Japanese, Arabic, and an emoji of four bytes.
inline QStringList WorldNames() {
    return {QStringLiteral("Łukasz Dvořák"),
            QStringLiteral("İpek Işık"),
            QStringLiteral("Ξανθή Παπαδοπούλου"),
            QStringLiteral("Анна Кузнецова"),
            QStringLiteral("Nguyễn Thị Ánh"),
            QStringLiteral("王小明"),
            QStringLiteral("山田太郎"),
            QStringLiteral("محمد علي"),
            QStringLiteral("Zoë 😀")};
}
