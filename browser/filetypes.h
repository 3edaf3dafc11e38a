#pragma once

#include <string>
#include <vector>

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <QStringList>
#include <QStyle>

// The types the file list shows, with their names and icons, each made once and then known by its
// number: the rows of a folder of a hundred thousand files hold a number each, not an icon.
class CFileTypes {
public:
    // What is no file has a type of its own.
    int Folder();
    int Computer();
    int Network();
    int NetworkVolume();
    int Volume(bool removable);
    // The type of a file by its name alone; IsUnknown when the name says nothing.
    int ByName(const QString& name);
    // The type of a file by its first bytes.
    int ByContent(const std::string& head);
    // The type of a MIME type's name ("inode/fifo"), for what is never read.
    int ByMimeName(const QString& name);
    bool IsUnknown(int type) const { return type == m_unknown; }

    int Count() const { return static_cast<int>(m_types.size()); }
    const QString& Name(int type) const { return m_types[static_cast<std::size_t>(type)].name; }
    const QIcon& Icon(int type) const { return m_types[static_cast<std::size_t>(type)].icon; }
    // The icon with the link mark over it.
    const QIcon& LinkIcon(int type);

private:
    struct Type {
        QString name;
        QIcon icon;
        QIcon linkIcon; // made when a link of the type is first shown
    };

    // The type of `key`, made with the first of `iconNames` the theme has, else with `standard`.
    int Index(const QString& key, const QString& name, const QStringList& iconNames,
              QStyle::StandardPixmap standard);
    int ByMime(const QMimeType& mime);

    std::vector<Type> m_types;
    QHash<QString, int> m_index;
    QMimeDatabase m_mimes;
    int m_unknown = -1;
};
