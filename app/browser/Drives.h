#pragma once
// The drives the drive selector lists, and the directory that choosing one
// enters. One implementation per platform.

#include <QString>
#include <QStringList>

// Root paths in order: on Windows every drive letter in use ("A:/", "C:/"),
// with a medium or without; elsewhere the mounted file systems, "/" first.
QStringList DriveRoots();

// The directory that choosing the drive with this root enters: on Windows
// that drive's current directory (the working directory when it lies on that
// drive, otherwise the one the system keeps for the drive, otherwise its
// root); elsewhere the root itself.
QString DriveCurrentDirectory(const QString& root);
