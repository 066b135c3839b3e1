// Confining a run of a program under test: graded programs come from others, and the
// language lets a program create, overwrite and delete files by any path it names. A
// confined run reads, writes, creates and deletes files only beneath its scratch folder.
// The kernel's Landlock does the confining; a process confines itself, and whatever it
// starts afterwards stays confined with it.
#pragma once

#include <string>

namespace zef {

// The Landlock ABI version the kernel offers, 0 where it offers none (an older kernel,
// Landlock left out at boot, or a container that filters the system call).
int landlockAbi();

// Confines the calling process to `folder` (which must exist): from now on every file
// access (reading, writing, creating, deleting, listing, executing) succeeds only beneath
// it (/proc and /dev included: nothing is reached by name but the folder's files; the
// sanitizer builds alone may read their own /proc entries, as they do at exit). Files
// already open stay usable. Returns an empty text on success, else the French reason.
std::string confineTo(const std::string& folder);

// Resource bounds of a confined run beyond the interpreter's own memory bounds: no core
// file, at most 64 open files, no file written larger than maxFileBytes (a write beyond
// it fails with "fichier trop gros" instead of filling the disk; this backs the count of
// the bytes written that the run keeps itself). Returns an empty text
// on success, else the French reason.
std::string limitResources(unsigned long long maxFileBytes);

} // namespace zef
