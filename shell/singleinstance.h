#pragma once
// One copy per user: the first copy holds a lock file until it ends. A lock
// left behind by a copy that died is taken over.
#include <QString>

#include <memory>

class QLockFile;

// "kelvora-<user>.lock" in the user's runtime folder (the temporary folder
// when the system has none).
QString SingleInstanceLockPath();

// Takes the lock at path; nullptr when another running copy holds it. A lock
// that cannot be created at all (no such folder, no rights) does not keep the
// program from running.
std::unique_ptr<QLockFile> TakeSingleInstanceLock(const QString &path, bool *anotherCopyRuns);
