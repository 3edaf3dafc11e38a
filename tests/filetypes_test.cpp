#include <string>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include "browser/filetypes.h"

namespace {

// A name without an extension says nothing; the first bytes then do, and each type is made once.
TEST(FileTypes, WhatTheNameDoesNotTellTheContentDoes) {
    CFileTypes types;
    const int unknown = types.ByName(QStringLiteral("blob"));
    EXPECT_TRUE(types.IsUnknown(unknown));
    const int pdf = types.ByContent("%PDF-1.4\n");
    EXPECT_FALSE(types.IsUnknown(pdf));
    EXPECT_NE(types.Name(pdf), types.Name(unknown));
    EXPECT_EQ(types.ByName(QStringLiteral("paper.pdf")), pdf);
    EXPECT_TRUE(types.IsUnknown(types.ByContent(std::string("\x00\x01\xFE", 3))));
    EXPECT_FALSE(types.IsUnknown(types.ByMimeName(QStringLiteral("inode/fifo"))));
    EXPECT_EQ(types.Count(), 3);
}

TEST(FileTypes, EveryTypeHasAnIconAndItsLinkIconIsMarked) {
    CFileTypes types;
    const int folder = types.Folder();
    EXPECT_EQ(types.Name(folder), "Folder");
    EXPECT_EQ(types.Volume(true), types.Volume(true));
    EXPECT_NE(types.Volume(true), types.Volume(false));
    for (const int type : {folder, types.Computer(), types.Network(), types.NetworkVolume(),
                           types.Volume(false), types.ByName(QStringLiteral("a.txt"))})
        EXPECT_FALSE(types.Icon(type).isNull()) << types.Name(type).toStdString();
    const QImage linked = types.LinkIcon(folder).pixmap(16, 16).toImage();
    EXPECT_NE(linked, types.Icon(folder).pixmap(16, 16).toImage());
    EXPECT_EQ(&types.LinkIcon(folder), &types.LinkIcon(folder)) << "made once";
}

} // namespace
