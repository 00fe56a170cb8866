#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

// A fixed-pitch face of this size, so that the columns of a report or a
// list of dates line up. The system's monospace face is taken when it is
// one; some are not (a "mono" face whose few wide glyphs make fontconfig
// call it proportional), and then the first installed face that is.
inline QFont FixedFace(qreal points) {
    static const QString family = [] {
        const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (QFontInfo(system).fixedPitch()) return system.family();
        QStringList families = {QStringLiteral("DejaVu Sans Mono"),
                                QStringLiteral("Liberation Mono"), QStringLiteral("Noto Mono")};
        families << QFontDatabase::families();
        for (const QString& candidate : families)
            if (QFontDatabase::hasFamily(candidate) && QFontDatabase::isFixedPitch(candidate))
                return candidate;
        return system.family();
    }();
    QFont face(family);
    face.setStyleHint(QFont::TypeWriter);
    face.setPointSizeF(points);
    return face;
}
