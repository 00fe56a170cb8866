#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "store/DefinitionFile.h"
#include "store/KeyLayout.h"
#include "store/RecordManager.h"

void TestFolder::createDatabase(const QString& name, const QStringList& fields) const {
    DefinitionFile::Write(folder_.definitionFile(name), fields);
    const QByteArray layout = KeyLayout::Build(fields);
    if (trm_Create(folder_.dataFile(name), layout, 1) != 0 ||
        trm_Create(folder_.historyFile(name), layout, 1, TrmKind::History) != 0) {
        throw std::runtime_error("test database could not be created");
    }
}

QByteArray TestFolder::readAll(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString TestFolder::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("test file could not be written");
    return f.fileName();
}

QStringList TestFolder::files() const {
    QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}
