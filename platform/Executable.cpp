#include "platform/Executable.h"

#include "platform/Version.h"

#ifdef _WIN32
#include <vector>
#include <windows.h>
#endif

namespace {

std::optional<std::string>& VersionOverride() {
    static std::optional<std::string> version;
    return version;
}

#ifdef _WIN32
// The file version of the executable's version resource, "" when it has none.
std::string ResourceVersion() {
    const std::wstring path = ExecutablePath().wstring();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> buffer(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()))
        return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
        info == nullptr)
        return {};
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}
#endif

} // namespace

std::filesystem::path ExecutablePath() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
#endif
}

std::filesystem::path ExecutableDir() {
    return ExecutablePath().parent_path();
}

std::string ExecutableVersion() {
    if (VersionOverride())
        return *VersionOverride();
#ifdef _WIN32
    return ResourceVersion();
#else
    // Other systems carry no version resource; the version is the one this build was made with.
    return CORVANTH_VERSION;
#endif
}

void OverrideExecutableVersion(std::optional<std::string> version) {
    VersionOverride() = std::move(version);
}
