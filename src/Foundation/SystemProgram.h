#pragma once

#include <QFileInfo>
#include <QString>

#include <initializer_list>

// The path of the tool `name` in the first of `folders` (a fixed list, never $PATH) that holds it as an
// executable file, or empty.
inline QString systemProgram(const QString& name, std::initializer_list<const char*> folders = {
                                                      "/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
    for (const char* folder : folders) {
        const QFileInfo candidate(QString::fromLatin1(folder) + QLatin1Char('/') + name);
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.filePath();
    }
    return {};
}
