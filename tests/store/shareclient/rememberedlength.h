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
// now, also one asked with AT_STATX_FORCE_SYNC, until a program opens the file: a file
// replaced in between looks unchanged. So does sshfs, for twenty seconds.
void RememberAttributes(const QString& path);
// Called by the stand-in for open(): opening a file makes the client learn its attributes.
void NoteOpened(const char* path);

// The same client dates the file at path to the whole second and gives its change time as its
// modification time, as SFTP does, asked by its path or as an open file: a file replaced
// within the same second at the same size looks unchanged.
void DateToTheSecond(const QString& path);

}  // namespace testsupport
