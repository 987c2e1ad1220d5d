#include "reg_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// The names of a key's direct subkeys, read before any of them is changed.
static std::vector<std::string> ChildNames(HKEY key) {
    std::vector<std::string> children;
    for (DWORD i = 0;; i++) {
        char child[512];  // 255 characters, double-byte ones included
        DWORD childSize = sizeof(child);
        if (RegEnumKeyExA(key, i, child, &childSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.push_back(child);
    }
    return children;
}

// A child of the root itself has no leading backslash, which the 95/98 family refuses.
static std::string ChildPath(const std::string& path, const std::string& child) {
    return path.empty() ? child : path + "\\" + child;
}

static void DumpKey(HKEY root, const std::string& path, std::vector<std::string>* lines) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->push_back("K " + path);
    std::vector<BYTE> data(1 << 16);
    char name[16384];
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof(name), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::string line = "V " + path + "|" + name + "|" + std::to_string(type) + "|";
        for (DWORD b = 0; b < dataSize; b++) {
            char hex[4];
            snprintf(hex, sizeof(hex), "%02X", data[b]);
            line += hex;
        }
        lines->push_back(line);
    }
    std::vector<std::string> children = ChildNames(key);
    RegCloseKey(key);
    for (const std::string& child : children)
        DumpKey(root, ChildPath(path, child), lines);
}

std::string DumpRegTree(HKEY root, const std::string& path) {
    std::vector<std::string> lines;
    DumpKey(root, path, &lines);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string DumpRegTrees(HKEY root, const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths)
        text += DumpRegTree(root, path);
    return text;
}

std::string SortLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start + 1));
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines)
        sorted += line;
    return sorted;
}

void WipeRegTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        std::vector<std::string> children = ChildNames(key);
        RegCloseKey(key);
        for (const std::string& child : children)
            WipeRegTree(root, ChildPath(path, child));
    }
    RegDeleteKeyA(root, path.c_str());
}

void CreateRegKey(HKEY root, const std::string& path) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
        RegCloseKey(key);
}

void SetRegBytes(HKEY root, const std::string& path, const char* name, DWORD type,
                 const void* bytes, DWORD count) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(bytes), count);
    RegCloseKey(key);
}

void SetRegText(HKEY root, const std::string& path, const char* name, const std::string& text) {
    SetRegBytes(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool RegKeyPresent(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool GetRegValue(HKEY root, const std::string& path, const char* name, DWORD* type,
                 std::string* bytes) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::vector<BYTE> data(1 << 16);
    DWORD size = static_cast<DWORD>(data.size());
    LONG result = RegQueryValueExA(key, name, nullptr, type, data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return false;
    bytes->assign(reinterpret_cast<const char*>(data.data()), size);
    return true;
}

std::string GetRegText(HKEY root, const std::string& path, const char* name) {
    DWORD type = 0;
    std::string bytes;
    if (!GetRegValue(root, path, name, &type, &bytes))
        return "<none>";
    if (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

std::string Family() {
    const char* family = getenv("KVO_FAMILY");
    return family && *family ? family : "nt";
}


std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void RestoreRegTree(HKEY root, const std::string& path, const std::string& dump) {
    WipeRegTree(root, path);
    size_t start = 0;
    for (size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = dump.substr(start, end - start);
        if (line.rfind("K ", 0) == 0) {
            CreateRegKey(root, line.substr(2));
            continue;
        }
        // "V path|name|type|hex": key paths and value names here hold no "|".
        size_t nameAt = line.find('|'), typeAt = line.find('|', nameAt + 1), bytesAt = line.find('|', typeAt + 1);
        if (line.rfind("V ", 0) != 0 || bytesAt == std::string::npos)
            continue;
        std::string bytes;
        for (size_t i = bytesAt + 1; i + 1 < line.size(); i += 2)
            bytes += static_cast<char>(strtoul(line.substr(i, 2).c_str(), nullptr, 16));
        SetRegBytes(root, line.substr(2, nameAt - 2), line.substr(nameAt + 1, typeAt - nameAt - 1).c_str(),
                    strtoul(line.substr(typeAt + 1, bytesAt - typeAt - 1).c_str(), nullptr, 10), bytes.data(),
                    static_cast<DWORD>(bytes.size()));
    }
}
