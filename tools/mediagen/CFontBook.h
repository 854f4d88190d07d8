#pragma once

#include <QFont>
#include <QString>

// The fonts of the pictures. Liberation Sans stands in for Arial; it is
// loaded from its files by path and only its own family name is used, so the
// pictures do not depend on which other fonts the machine has or how they are
// configured.
class CFontBook {
public:
    // Loads the four Liberation Sans styles from directory. Returns false
    // and sets error when a file is missing or unreadable.
    bool Load(const QString& directory, QString& error);

    // A Liberation Sans font of the given pixel size. Without anti-aliasing
    // the glyphs are drawn in the pen colour alone, as two-colour pictures
    // need.
    QFont Sans(int pixelSize, bool bold, bool italic, bool antialias) const;

private:
    QString m_sans;
};
