#include "filetypes.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

int CFileTypes::Folder() {
    return Index(QStringLiteral("inode/directory"), QStringLiteral("Folder"), {QStringLiteral("folder")},
                 QStyle::SP_DirIcon);
}

int CFileTypes::Computer() {
    return Index(QStringLiteral(":computer"), QStringLiteral("System Folder"), {QStringLiteral("computer")},
                 QStyle::SP_ComputerIcon);
}

int CFileTypes::Network() {
    return Index(QStringLiteral(":network"), QStringLiteral("System Folder"),
                 {QStringLiteral("network-workgroup")}, QStyle::SP_DriveNetIcon);
}

int CFileTypes::NetworkVolume() {
    return Index(QStringLiteral(":network-volume"), QStringLiteral("Network Volume"),
                 {QStringLiteral("folder-remote"), QStringLiteral("drive-harddisk")},
                 QStyle::SP_DriveNetIcon);
}

int CFileTypes::Volume(bool removable) {
    return removable ? Index(QStringLiteral(":removable"), QStringLiteral("Removable Volume"),
                             {QStringLiteral("drive-removable-media")}, QStyle::SP_DriveHDIcon)
                     : Index(QStringLiteral(":volume"), QStringLiteral("Volume"),
                             {QStringLiteral("drive-harddisk")}, QStyle::SP_DriveHDIcon);
}

int CFileTypes::ByName(const QString& name) {
    return ByMime(m_mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension));
}

int CFileTypes::ByContent(const std::string& head) {
    return ByMime(m_mimes.mimeTypeForData(QByteArray(head.data(), static_cast<qsizetype>(head.size()))));
}

int CFileTypes::ByMimeName(const QString& name) {
    return ByMime(m_mimes.mimeTypeForName(name));
}

int CFileTypes::ByMime(const QMimeType& mime) {
    const QString comment = mime.comment();
    const int type = Index(mime.name(), comment.isEmpty() ? mime.name() : comment,
                           {mime.iconName(), mime.genericIconName(), QStringLiteral("text-x-generic")},
                           QStyle::SP_FileIcon);
    if (mime.isDefault()) {
        m_unknown = type;
    }
    return type;
}

int CFileTypes::Index(const QString& key, const QString& name, const QStringList& iconNames,
                      QStyle::StandardPixmap standard) {
    const auto found = m_index.constFind(key);
    if (found != m_index.constEnd()) {
        return found.value();
    }
    QIcon icon;
    for (const QString& iconName : iconNames) {
        if (!iconName.isEmpty()) {
            icon = QIcon::fromTheme(iconName);
            if (!icon.isNull()) {
                break;
            }
        }
    }
    // Without an icon theme (a bare session, a headless run) the style's own icons stand in.
    if (icon.isNull()) {
        icon = QApplication::style()->standardIcon(standard);
    }
    m_types.push_back({name, icon, QIcon()});
    const int index = static_cast<int>(m_types.size() - 1);
    m_index.insert(key, index);
    return index;
}

const QIcon& CFileTypes::LinkIcon(int type) {
    Type& shown = m_types[static_cast<std::size_t>(type)];
    if (!shown.linkIcon.isNull()) {
        return shown.linkIcon;
    }
    constexpr int kSide = 16;
    QPixmap image = shown.icon.pixmap(kSide, kSide);
    if (image.isNull()) {
        image = QPixmap(kSide, kSide);
        image.fill(Qt::transparent);
    }
    QPainter painter(&image);
    const QRect corner(0, kSide / 2, kSide / 2, kSide / 2);
    const QIcon emblem = QIcon::fromTheme(QStringLiteral("emblem-symbolic-link"));
    if (!emblem.isNull()) {
        emblem.paint(&painter, corner);
    } else {
        // The shortcut arrow: a white box with an arrow pointing up and right.
        painter.fillRect(corner, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(corner.adjusted(0, 0, -1, -1));
        painter.drawLine(corner.left() + 2, corner.bottom() - 2, corner.right() - 2, corner.top() + 2);
        painter.drawLine(corner.right() - 2, corner.top() + 2, corner.right() - 4, corner.top() + 2);
        painter.drawLine(corner.right() - 2, corner.top() + 2, corner.right() - 2, corner.top() + 4);
    }
    painter.end();
    shown.linkIcon = QIcon(image);
    return shown.linkIcon;
}
