#include "store/DefinitionFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "store/RecordText.h"
#include "store/StoreError.h"

namespace DefinitionFile {

QByteArray Build(const QStringList& fieldNames) {
    QByteArray out;
    for (int k = 0; k < FieldDefinition::Slots; ++k) {
        const bool used = k < fieldNames.size();
        FieldDefinition entry{used ? RecordText::fromUnicode(fieldNames.at(k)) : QByteArray(),
                              used ? "T" : "F"};
        out.append(RecordToString(entry));
    }
    return out;
}

void Write(const QString& path, const QStringList& fieldNames) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw StoreError(QStringLiteral("The field definition file %1 could not be written: %2")
                             .arg(QFileInfo(path).fileName(), file.errorString()));
    }
    const QByteArray bytes = Build(fieldNames);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw StoreError(QStringLiteral("The field definition file %1 could not be written: %2")
                             .arg(QFileInfo(path).fileName(), file.errorString()));
    }
}

std::vector<FieldDefinition> Read(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.exists()) {
        throw StoreError(QStringLiteral("The field definition file %1 is missing.").arg(name));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw StoreError(QStringLiteral("The field definition file %1 could not be read: %2")
                             .arg(name, file.errorString()));
    }
    // Whole entries only, at most twelve: a stray byte at the end or entries
    // past the twelfth must not lock the user out of an intact database.
    const QByteArray bytes = file.readAll();
    const qsizetype count =
        std::min<qsizetype>(bytes.size() / FieldDefinition::Size, FieldDefinition::Slots);
    std::vector<FieldDefinition> entries;
    entries.reserve(count);
    bool anyInUse = false;
    for (qsizetype k = 0; k < count; ++k) {
        entries.push_back(RecordFromString<FieldDefinition>(
            bytes.mid(k * FieldDefinition::Size, FieldDefinition::Size)));
        anyInUse = anyInUse || entries.back().inUse();
    }
    if (!anyInUse) {
        throw StoreError(
            QStringLiteral("The field definition file %1 is damaged: it does not describe any "
                           "fields of a database.")
                .arg(name));
    }
    return entries;
}

QStringList FieldNames(const std::vector<FieldDefinition>& definitions) {
    QStringList names;
    for (const FieldDefinition& d : definitions) {
        if (d.inUse()) names << RecordText::toUnicode(RecordText::trimmed(d.FieldName));
    }
    return names;
}

}  // namespace DefinitionFile
