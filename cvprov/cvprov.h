/* The exports of the network provider library cvprov.dll that other
 * programs call directly: the name-space API over the NFS client's
 * configuration in the registry. */
#ifndef CVPROV_CVPROV_H
#define CVPROV_CVPROV_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CVPROV_API __attribute__((visibility("default")))
#define WINAPI

/* Which registry trees a call covers. */
typedef uint32_t NAME_SPACE;
#define NAME_SPACE_SYSTEM 0u
#define NAME_SPACE_COMBINED 1u
#define NAME_SPACE_USER 2u

/* The connection record: the redirector's 5088-byte mount entry. */
typedef struct API_SESS_PARAM {
    unsigned char bytes[5088];
} API_SESS_PARAM;

/* A listing cursor, owned by the caller. */
typedef struct REG_BROWSE {
    uint32_t system_index;
    uint32_t user_index;
} REG_BROWSE;

CVPROV_API uint32_t WINAPI GetCorvParam(NAME_SPACE space, API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI SetCorvParam(NAME_SPACE space, API_SESS_PARAM* record);

CVPROV_API uint32_t WINAPI GetHostEntry(const char16_t* host, NAME_SPACE space,
                                        API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI AddHostEntry(const char16_t* host, NAME_SPACE space,
                                        API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI RemoveHostEntry(const char16_t* host, NAME_SPACE space);

CVPROV_API uint32_t WINAPI GetFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                              NAME_SPACE space, API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI AddFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                              NAME_SPACE space, API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI RemoveFileSystemEntry(const char16_t* host, const char16_t* file_system,
                                                 NAME_SPACE space);

CVPROV_API uint32_t WINAPI GetHostEntryFirst(NAME_SPACE space, REG_BROWSE* browse,
                                             API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI GetHostEntryNext(NAME_SPACE space, REG_BROWSE* browse,
                                            API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI GetFileSystemEntryFirst(const char16_t* host, NAME_SPACE space,
                                                   REG_BROWSE* browse, API_SESS_PARAM* record);
CVPROV_API uint32_t WINAPI GetFileSystemEntryNext(const char16_t* host, NAME_SPACE space,
                                                  REG_BROWSE* browse, API_SESS_PARAM* record);

CVPROV_API int32_t WINAPI CheckUserAccess(void);

#ifdef __cplusplus
}
#endif

#endif
