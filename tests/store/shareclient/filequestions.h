#pragma once

#include <QString>

namespace testsupport {

// Counts the questions this program asks the file system about paths in one directory: each
// open, access check and status query of a path there. On a share every such question is a
// round trip to the server, so the count is what a command costs there.
//
// Works by standing in for open(), access(), lstat() and statx() in this test program (Linux
// only).
void CountFileQuestions(const QString& dir);  // starts counting from zero
int FileQuestions();
void StopCountingFileQuestions();
// Makes each counted question take this long, as a round trip to a slow share does (0: none;
// stopping the count resets it).
void SetRoundTripMs(int ms);

// Called by the stand-in for statx().
void NoteFileQuestion(const char* path);

}  // namespace testsupport
