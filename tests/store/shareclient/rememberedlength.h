#pragma once

#include <QString>

namespace testsupport {

// Plays a network file system client that answers from what it learnt of a file a moment
// ago, as a share mounted through FUSE (sshfs) does: after another workstation replaced the
// file by a longer one, reads of it stop at the length the client remembers, until a program
// asks for the file's current state (statx with AT_STATX_FORCE_SYNC on it).
//
// Works by standing in for read() and statx() in this test program (Linux only).
void RememberLength(const QString& path, qint64 length);  // for the file now at path
void ForgetLengths();

// The same client answers a question about path (its size and times) from what it learnt
// now, until a program asks with AT_STATX_FORCE_SYNC: a file replaced in between looks unchanged.
void RememberAttributes(const QString& path);

}  // namespace testsupport
