#include "problem/FileNames.h"

#include "platform/files.h"

#include <filesystem>
#include <vector>

namespace zem {
namespace {

std::vector<std::string> Components(const std::string& dir) {
    std::vector<std::string> parts;
    if (dir.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t slash = dir.find('\\', start);
        parts.push_back(dir.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

std::string Join(const std::vector<std::string>& parts, std::size_t from) {
    std::string s;
    for (std::size_t i = from; i < parts.size(); ++i) {
        if (i > from) s += '\\';
        s += parts[i];
    }
    return s;
}

std::string FileNameOf(const TFileNameParts& p) { return p.Ext.empty() ? p.Base : p.Base + "." + p.Ext; }

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && path[0] == '\\') || (path.size() >= 2 && path[1] == ':');
}

}  // namespace

TFileNameParts SplitFileName(const std::string& path) {
    TFileNameParts p;
    std::size_t slash = path.rfind('\\');
    std::string rest = path;
    if (slash != std::string::npos) {
        p.Dir = path.substr(0, slash);
        rest = path.substr(slash + 1);
    }
    std::size_t dot = rest.rfind('.');
    if (dot == std::string::npos) {
        p.Base = rest;
    } else {
        p.Base = rest.substr(0, dot);
        p.Ext = rest.substr(dot + 1);
    }
    return p;
}

std::string ChangeFileExtension(const std::string& path, const std::string& ext) {
    TFileNameParts p = SplitFileName(path);
    return p.Dir + "\\" + p.Base + "." + ext;
}

std::string ChangeFileBase(const std::string& path, const std::string& base) {
    TFileNameParts p = SplitFileName(path);
    return p.Dir + "\\" + base + "." + p.Ext;
}

bool FileCanOpen(const std::string& path) { return IsReadableRegularFile(NativePath(path)); }

std::string ToAbsolutePath(const std::string& startDir, const std::string& path) {
    if (IsAbsolute(path)) return path;
    TFileNameParts p = SplitFileName(path);
    std::vector<std::string> dir = Components(p.Dir);
    std::vector<std::string> start = Components(startDir);
    std::size_t skip = 0;
    while (skip < dir.size() && dir[skip] == "..") {
        ++skip;
        if (!start.empty()) start.pop_back();
    }
    std::string startText = Join(start, 0);
    if (start.size() == 1 && start[0].empty()) startText = "";  // climbed to the root
    std::string rest = Join(dir, skip);
    std::string full = rest.empty() ? startText : startText + "\\" + rest;
    return full + "\\" + FileNameOf(p);
}

std::string ToRelativePath(const std::string& startDir, const std::string& path) {
    TFileNameParts p = SplitFileName(path);
    std::vector<std::string> dir = Components(p.Dir);
    std::vector<std::string> start = Components(startDir);
    std::size_t common = 0;
    while (common < dir.size() && common < start.size() && dir[common] == start[common]) ++common;
    if (common == 0 && IsAbsolute(path)) return path;  // nothing shared: keep it full
    std::string rest = Join(dir, common);
    if (common < start.size()) {
        // One ".." for every start-directory component left over.
        std::string up;
        for (std::size_t i = common; i < start.size(); ++i) up += i == common ? ".." : "\\..";
        rest = rest.empty() ? up : up + "\\" + rest;
    }
    return rest.empty() ? FileNameOf(p) : rest + "\\" + FileNameOf(p);
}

std::string NativePath(const std::string& stored) {
    std::string s = stored;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

std::string StoredPath(const std::string& native) {
    std::string s = native;
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string CurrentDirStored() { return StoredPath(std::filesystem::current_path().string()); }

}  // namespace zem
