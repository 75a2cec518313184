#pragma once

// Stops the process from writing core dumps or being read by other processes of the same
// user (ptrace, /proc/<pid>/mem): the master password and the decrypted records sit in its
// memory. False when the system refused either step.
bool disableCoreDumps();
