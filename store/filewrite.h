#pragma once
// Writing whole files safely, with the file layer's messages on failure:
// "Invalid filename", "File access denied", "Disk full", "I/O error %d".
#include <QByteArray>
#include <QString>

// Writes bytes as the whole content of path. A symbolic link is followed to
// the file it names, which is written and stays where it is. The new content
// goes to a temporary file beside that file first, so the old content survives
// any failure; a file with several hard links is then written in place from
// it, keeping the links. Where no temporary file can be made (a folder closed
// to the user, a file open to them) the file is written in place, and on a
// failure given back its old content where it could be read. The file keeps
// its permissions. Anything but a regular file is refused. Throws KelvoraError.
void WriteWholeFile(const QString &path, const QByteArray &bytes);

// The file a path names once its symbolic links are followed; the path itself
// when it is no link. The file need not exist. Throws KelvoraError for a loop.
QString FollowLinks(const QString &path);

// Hidden temporary files of WriteWholeFile that a save killed part-way left
// beside `path`: ".<name>.XXXXXX", regular files of this user holding the
// start of a file it wrote (`firstByte`) or nothing. Removes them; touches no
// other file. Returns how many went.
int RemoveLeftoverTemporaries(const QString &path, char firstByte);

// The message for an errno value.
QString FileErrorMessage(int errnoValue);
