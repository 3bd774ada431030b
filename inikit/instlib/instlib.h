// The configuration-file library: one current file per process, a queue of
// changes, and a flush that applies the queue to a file.
//
// File names are ANSI (Windows-1252) names as the platform layer resolves
// them. Section and key names compare without regard to ASCII case.
#pragma once

namespace instlib {

// Opens the file and makes it current; nonzero on success, 0 when it cannot
// be read. `mode` is reserved (0).
int config_open(const char* path, int mode);

// Mode 0 with a name: makes that section current, nonzero when it exists.
// Mode 0 with an empty buffer (at least 260 bytes): writes the name of the
// first section into it. Mode 2: writes the name of the next section. Both
// return 1 when there was one, 0 when not. Names longer than 259 bytes are
// cut. The two middle arguments are reserved (0).
int config_seek(char* name, int reserved1, int reserved2, int mode);

// Copies the value of the key in the current section (blanks around it
// removed, cut to size - 1 and terminated); nonzero when the key exists.
// `key_length` -1 means a NUL-terminated key; `flags` is reserved.
int config_read(const char* key, int key_length, char* buffer, int size, unsigned flags);

// Queues a change: set the key to the value, or remove the key when `value`
// is null. The flag word is recorded with it; it does not change the effect.
// Works with no file open. Returns nonzero when the change was queued.
int config_write(const char* section, int reserved1, int reserved2, const char* key,
                 const char* value, unsigned flags);

// Applies every queued change, in order, to the named file and empties the
// queue. Returns nonzero when the file holds the changes.
int config_flush(const char* path, int reserved, unsigned flags);

// Releases the current file. Returns 1.
int config_close(int reserved);

}  // namespace instlib
