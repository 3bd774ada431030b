/* inikit: section-and-key access to ini-style configuration files.
 *
 * Narrow functions take ANSI (Windows-1252) strings and buffer sizes in
 * bytes; the W functions take UTF-16 strings and sizes in wide characters.
 * The get, write and delete functions report nothing: a caller learns the
 * outcome from the output buffers only. */
#ifndef INIKIT_INIKIT_H
#define INIKIT_INIKIT_H

#ifdef __cplusplus
#include <cstdint>
extern "C" {
#else
#include <stdint.h>
#include <uchar.h>
#endif

#define INIKIT_API __attribute__((visibility("default")))

INIKIT_API void NCGetSectionNames(char* buffer, uint32_t size, const char* file);
INIKIT_API void NCGetSection(const char* section, char* buffer, uint32_t size, const char* file);
INIKIT_API void NCGetIniKeyString(const char* section, const char* key, const char* default_text,
                                  char* buffer, uint32_t size, const char* file);
INIKIT_API void NCWriteIniKeyString(const char* section, const char* key, const char* value,
                                    const char* file);
INIKIT_API void NCWriteSection(const char* section, const char* entries, const char* file);
INIKIT_API void NCDeleteIniKeyString(const char* section, const char* key, const char* file);

INIKIT_API void NCGetSectionNamesW(char16_t* buffer, uint32_t size, const char16_t* file);
INIKIT_API void NCGetSectionW(const char16_t* section, char16_t* buffer, uint32_t size,
                              const char16_t* file);
INIKIT_API void NCGetIniKeyStringW(const char16_t* section, const char16_t* key,
                                   const char16_t* default_text, char16_t* buffer, uint32_t size,
                                   const char16_t* file);
INIKIT_API void NCWriteIniKeyStringW(const char16_t* section, const char16_t* key,
                                     const char16_t* value, const char16_t* file);
INIKIT_API void NCWriteSectionW(const char16_t* section, const char16_t* entries,
                                const char16_t* file);
INIKIT_API void NCDeleteIniKeyStringW(const char16_t* section, const char16_t* key,
                                      const char16_t* file);

/* Bytes written including the terminator; 0 on failure or a null pointer. */
INIKIT_API int NCWideToMB(const char16_t* wide, int ignored, char* buffer, int size);
/* Wide characters written; `length` -1 converts through the terminator. */
INIKIT_API int NCMBToWide(const char* narrow, int length, char16_t* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif
