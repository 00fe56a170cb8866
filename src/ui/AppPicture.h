#pragma once

#include <QPixmap>
#include <QString>

class DataFolder;

// A picture file of the program's: beside the databases, or else beside the
// program; the copy built into the program stands in when neither holds it.
// A null pixmap when there is none at all.
QPixmap appPicture(const DataFolder& folder, const QString& name);
