#include "cvprov/config_keys.h"

#include "platform/codepage.h"
#include "platform/errors.h"

namespace cvprov {

win32::HKEY TreeRoot(Tree tree) {
    return tree == Tree::System ? win32::HKEY_LOCAL_MACHINE : win32::HKEY_CURRENT_USER;
}

const char* TreeKey(Tree tree) {
    return tree == Tree::System ? kSystemTreeKey : kUserTreeKey;
}

Tree WriteTree(NAME_SPACE space) {
    return space == NAME_SPACE_SYSTEM ? Tree::System : Tree::User;
}

std::string Narrow(std::u16string_view name) {
    return win32::WideToAnsi(name);
}

std::u16string Wide(std::string_view name) {
    return win32::AnsiToWide(name);
}

std::optional<std::string> KeyPath(Tree tree, const char16_t* host, const char16_t* file_system,
                                   win32::DWORD* error) {
    std::string path = TreeKey(tree);
    for (const char16_t* name : {host, file_system}) {
        if (name == nullptr || *name == u'\0') {
            break;
        }
        std::u16string_view text(name);
        if (text.find(u'\\') != std::u16string_view::npos) {
            *error = win32::ERROR_INVALID_NAME;
            return std::nullopt;
        }
        path += '\\';
        path += Narrow(text);
    }
    if (path.size() >= kKeyPathBuffer) {
        *error = win32::ERROR_INVALID_PARAMETER;
        return std::nullopt;
    }
    return path;
}

win32::LONG OpenForReading(Tree tree, const std::string& path, win32::UniqueKey* key) {
    if (tree == Tree::System) {
        return win32::RegOpenKeyA(TreeRoot(tree), path.c_str(), key->out());
    }
    return win32::RegOpenKeyExA(TreeRoot(tree), path.c_str(), 0, win32::KEY_ALL_ACCESS, key->out());
}

}  // namespace cvprov
