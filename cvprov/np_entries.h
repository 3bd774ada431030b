// The network provider's entry points, as the platform's router calls them:
// the Windows 95 form (narrow strings, \\.\VCORV) and the Windows NT form
// (wide strings, \\.\CVNCTL). NPCancelConnection serves both: its name is
// wide on Windows NT and narrow on Windows 95.
#pragma once

#include <cstdint>

#include "cvprov/cvprov.h"
#include "cvprov/netresource.h"

extern "C" {

CVPROV_API uint32_t WINAPI NPGetCaps(uint32_t index);
CVPROV_API uint32_t WINAPI NPAddConnection(void* owner, cvprov::NETRESOURCEA* resource,
                                           char* password, char* user_name, uint32_t flags,
                                           char* access_name, uint32_t* access_size,
                                           uint32_t* result);
CVPROV_API uint32_t WINAPI NPAddConnection3(void* owner, cvprov::NETRESOURCEW* resource,
                                            char16_t* password, char16_t* user_name,
                                            uint32_t flags);
CVPROV_API uint32_t WINAPI NPCancelConnection(const void* name, int32_t force, uint32_t flags);
CVPROV_API uint32_t WINAPI NPGetConnection(const char* local_name, char* remote_name,
                                           uint32_t* size);
CVPROV_API uint32_t WINAPI NPGetUser(const char* name, char* user_name, uint32_t* size);
CVPROV_API uint32_t WINAPI NPGetUniversalName(const char* local_path, uint32_t level, void* buffer,
                                              uint32_t* size);
CVPROV_API uint32_t WINAPI NPGetResourceInformation(cvprov::NETRESOURCEA* resource, void* buffer,
                                                    uint32_t* size, char** system_part);
CVPROV_API uint32_t WINAPI NPGetResourceParent(cvprov::NETRESOURCEA* resource, void* buffer,
                                               uint32_t* size);
CVPROV_API uint32_t WINAPI NPFormatNetworkName(const char* remote_name, char* out, uint32_t* length,
                                               uint32_t flags, uint32_t average_line);
CVPROV_API uint32_t WINAPI NPValidLocalDevice(uint32_t kind, uint32_t number);
CVPROV_API uint32_t WINAPI NPGetConnectionPerformance(void* remote_name, void* information);
CVPROV_API uint32_t WINAPI NPChangePassword(void* owner, void* old_password, void* new_password);
CVPROV_API int32_t WINAPI PromptForUserInfo(void* owner, API_SESS_PARAM* record);

}  // extern "C"
