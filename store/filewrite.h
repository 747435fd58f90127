#pragma once
// Writing whole files safely, with the file layer's messages on failure:
// "Invalid filename", "File access denied", "Disk full", "I/O error %d".
#include <QByteArray>
#include <QString>

// What WriteWholeFile does with a target that is no regular file.
enum class NotAFile {
    WrittenDirectly, // a terminal, a pipe, the null device: an output goes there as asked
    Refused,         // "File access denied": the settings file and the program's own files
};

// Writes bytes as the whole content of path. Symbolic links are followed as
// the kernel follows them, but only links of the user or of root, and in a
// sticky folder others may write (/tmp) only those the kernel protects too:
// another user's link fails the write and nothing is written.
// A regular file gets the new content through a temporary file beside it
// first, so the old content survives any failure; a file with several hard
// links is then written in place from it, keeping the links. Where no
// temporary file can be made (a folder closed to the user, a file open to
// them) the file is written in place, and on a failure given back its old
// content where it could be read. The file keeps its permissions. A target
// that is no regular file (a terminal, a pipe, /dev/null, /dev/stdout) is
// written directly or refused, as `other` says. Throws KelvoraError.
void WriteWholeFile(const QString &path, const QByteArray &bytes, NotAFile other = NotAFile::WrittenDirectly);

// Puts a new file of the user's own at path, with the usual permissions:
// whatever stood there (a file, another user's link) is replaced, never
// written into or through. Throws KelvoraError.
void WriteNewFile(const QString &path, const QByteArray &bytes);

// The file a path names, its links followed as the kernel follows them; the
// result holds no link and no "..". The file need not exist, its folder
// must. Throws KelvoraError for a loop, a missing folder or a link that may
// not be followed (see WriteWholeFile).
QString FollowLinks(const QString &path);

// What saves of this program killed part-way left in the folder of the file
// `path` names: hidden temporary files of WriteWholeFile, regular files of
// this user, whose process is gone. Removes them; touches no other file.
// Returns how many went.
int RemoveLeftoverTemporaries(const QString &path);

// The message for an errno value.
QString FileErrorMessage(int errnoValue);
