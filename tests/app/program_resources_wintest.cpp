// What the built programs carry for Windows to read, read back from the
// files themselves: the viewer's manifest (as text, and as the system's
// activation context makes of it) and the version information of the viewer
// and of the toolkit, against the version the build defines.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/scoped_win.h"
#include "base/version.h"
#include "base/win32.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

std::wstring builtProgram(const char* relative) {
    std::wstring path = widen(std::string("Z:" ORVA_BINARY_DIR "/") + relative);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

struct ModuleTraits {
    using Value = HMODULE;
    static HMODULE none() { return nullptr; }
    static bool valid(HMODULE module) { return module != nullptr; }
    static void close(HMODULE module) { FreeLibrary(module); }
};
struct ActCtxTraits {
    using Value = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE context) { return context != nullptr && context != INVALID_HANDLE_VALUE; }
    static void close(HANDLE context) { ReleaseActCtx(context); }
};

// The manifest's bytes, read from the program file loaded as data.
std::string manifestText(const std::wstring& program) {
    Scoped<ModuleTraits> module(
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return {};
    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module.get(), found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(module.get(), found));
}

// One element of a small XML document: what stands between its name and
// the end of its start tag, and (unless it closes itself) what it holds.
struct Element {
    std::string attributes;
    std::string inner;
    std::string attribute(std::string_view name) const {
        std::string key(1, ' ');
        key.append(name).append("=\"");
        const std::size_t at = attributes.find(key);
        if (at == std::string::npos) return "(none)";
        const std::size_t start = at + key.size();
        return attributes.substr(start, attributes.find('"', start) - start);
    }
};

// Every element of that (unprefixed) name, in document order. Elements of
// one name do not nest in a manifest.
std::vector<Element> elements(std::string_view xml, std::string_view name) {
    std::vector<Element> out;
    std::string open(1, '<');
    open.append(name);
    std::string close("</");
    close.append(name).append(">");
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
        const std::size_t after = at + open.size();
        if (after >= xml.size() || (xml[after] != ' ' && xml[after] != '\n' && xml[after] != '>' && xml[after] != '/')) {
            continue;  // a longer name that begins with this one
        }
        const std::size_t tagEnd = xml.find('>', after);
        if (tagEnd == std::string_view::npos) break;
        Element element;
        const bool selfClosing = xml[tagEnd - 1] == '/';
        element.attributes = std::string(xml.substr(after, tagEnd - after - (selfClosing ? 1 : 0)));
        for (char& c : element.attributes)
            if (c == '\n') c = ' ';
        if (!selfClosing) {
            const std::size_t end = xml.find(close, tagEnd);
            if (end != std::string_view::npos) element.inner = std::string(xml.substr(tagEnd + 1, end - tagEnd - 1));
        }
        out.push_back(std::move(element));
    }
    return out;
}

// The compatibility list as the system writes it: each element also holds
// the highest version the program was tested on, which the MinGW headers'
// declaration lacks.
struct CompatibilityElement {
    GUID Id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE Type;
    ULONGLONG MaxVersionTested;
};
struct CompatibilityInformation {
    DWORD ElementCount;
    CompatibilityElement Elements[1];
};

const std::string kVersionQuad = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
                                 std::to_string(kVersionPatch) + ".0";
constexpr const char* kWindows10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}";

TEST(ProgramResources, ViewerManifestDeclaresWhatTheProgramNeeds) {
    const std::string xml = manifestText(builtProgram("OrvaReader.exe"));
    ASSERT_FALSE(xml.empty()) << "no manifest resource (type 24, id 1) in OrvaReader.exe";
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);

    const auto identities = elements(xml, "assemblyIdentity");
    ASSERT_EQ(identities.size(), 2u);
    EXPECT_EQ(identities[0].attribute("name"), "OrvaReader");
    EXPECT_EQ(identities[0].attribute("version"), kVersionQuad);
    EXPECT_EQ(identities[0].attribute("processorArchitecture"), "amd64");

    const auto dependencies = elements(xml, "dependentAssembly");
    ASSERT_EQ(dependencies.size(), 1u);
    const auto controls = elements(dependencies[0].inner, "assemblyIdentity");
    ASSERT_EQ(controls.size(), 1u);
    EXPECT_EQ(controls[0].attribute("name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(controls[0].attribute("version"), "6.0.0.0");
    EXPECT_EQ(controls[0].attribute("publicKeyToken"), "6595b64144ccf1df");

    const auto systems = elements(xml, "supportedOS");
    ASSERT_EQ(systems.size(), 1u);
    EXPECT_EQ(systems[0].attribute("Id"), kWindows10);

    // Each setting once, in the namespace that defines it, with its value.
    struct Setting {
        const char* name;
        const char* ns;
        const char* value;
    };
    const Setting settings[] = {
        {"activeCodePage", "http://schemas.microsoft.com/SMI/2019/WindowsSettings", "UTF-8"},
        {"longPathAware", "http://schemas.microsoft.com/SMI/2016/WindowsSettings", "true"},
        {"dpiAware", "http://schemas.microsoft.com/SMI/2005/WindowsSettings", "true/pm"},
        {"dpiAwareness", "http://schemas.microsoft.com/SMI/2016/WindowsSettings", "PerMonitorV2"},
    };
    for (const Setting& setting : settings) {
        const auto found = elements(xml, setting.name);
        ASSERT_EQ(found.size(), 1u) << setting.name;
        EXPECT_EQ(found[0].attribute("xmlns"), setting.ns) << setting.name;
        EXPECT_EQ(found[0].inner, setting.value) << setting.name;
    }
    const auto levels = elements(xml, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0].attribute("level"), "asInvoker");
}

// The same manifest as the system reads it when the program starts.
TEST(ProgramResources, SystemReadsTheViewerManifestAsMeant) {
    const std::wstring program = builtProgram("OrvaReader.exe");
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    Scoped<ActCtxTraits> context(CreateActCtxW(&request));
    ASSERT_TRUE(context) << "the system rejects the manifest: error " << GetLastError();

    struct Setting {
        const wchar_t* name;
        const wchar_t* ns;
        const wchar_t* value;
    };
    const Setting settings[] = {
        {L"activeCodePage", L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"UTF-8"},
        {L"longPathAware", L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"true"},
        {L"dpiAware", L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"true/pm"},
        {L"dpiAwareness", L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"PerMonitorV2"},
    };
    for (const Setting& setting : settings) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        EXPECT_TRUE(QueryActCtxSettingsW(0, context.get(), setting.ns, setting.name, value, 64, &written))
            << narrow(setting.name);
        EXPECT_EQ(std::wstring(value), setting.value) << narrow(setting.name);
    }

    alignas(8) unsigned char buffer[4096] = {};
    SIZE_T needed = 0;
    ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr, CompatibilityInformationInActivationContext, buffer,
                             sizeof buffer, &needed));
    const auto* compatibility = reinterpret_cast<const CompatibilityInformation*>(buffer);
    ASSERT_EQ(compatibility->ElementCount, 1u);
    const GUID windows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};
    EXPECT_TRUE(IsEqualGUID(compatibility->Elements[0].Id, windows10));
    EXPECT_EQ(compatibility->Elements[0].Type, ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS);

    // The program's own assembly and the common controls it depends on,
    // found by the system in version 6.
    ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr, ActivationContextDetailedInformation, buffer, sizeof buffer,
                             &needed));
    ASSERT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buffer)->ulAssemblyCount, 2u);
    ACTIVATION_CONTEXT_QUERY_INDEX second{2, 0};
    ASSERT_TRUE(QueryActCtxW(0, context.get(), &second, AssemblyDetailedInformationInActivationContext, buffer,
                             sizeof buffer, &needed));
    const std::string controls = narrow(
        reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer)->lpAssemblyEncodedAssemblyIdentity);
    EXPECT_EQ(controls.rfind("Microsoft.Windows.Common-Controls,", 0), 0u) << controls;
    EXPECT_NE(controls.find("version=\"6.0."), std::string::npos) << controls;
}

// The version information of a program file.
class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& program) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoW(program.c_str(), 0, size, data_.data())) data_.clear();
    }
    bool present() const { return !data_.empty(); }
    const VS_FIXEDFILEINFO* fixed() const {
        void* value = nullptr;
        UINT size = 0;
        if (!present() || !VerQueryValueW(data_.data(), L"\\", &value, &size) || size < sizeof(VS_FIXEDFILEINFO)) {
            return nullptr;
        }
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }
    // The language and code page pairs the information declares.
    std::vector<std::pair<WORD, WORD>> translations() const {
        void* value = nullptr;
        UINT size = 0;
        std::vector<std::pair<WORD, WORD>> out;
        if (!present() || !VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &size)) return out;
        const auto* words = static_cast<const WORD*>(value);
        for (UINT i = 0; i + 1 < size / sizeof(WORD); i += 2) out.emplace_back(words[i], words[i + 1]);
        return out;
    }
    // A string of the table of that translation, as a reader of the file
    // finds it; "(none)" when it is not there.
    std::string text(std::pair<WORD, WORD> translation, const char* name) const {
        wchar_t key[128];
        swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation.first, translation.second, name);
        void* value = nullptr;
        UINT size = 0;
        if (!present() || !VerQueryValueW(data_.data(), key, &value, &size) || size == 0) return "(none)";
        return narrow(static_cast<const wchar_t*>(value));
    }

private:
    std::vector<unsigned char> data_;
};

TEST(ProgramResources, VersionInformationOfEveryShippedProgram) {
    struct Program {
        const char* relative;
        const char* fileName;
        const char* description;
    };
    const Program programs[] = {
        {"OrvaReader.exe", "OrvaReader.exe", "OrvaReader document viewer"},
        {"tools/orvatool/orvatool.exe", "orvatool.exe", "OrvaReader document toolkit"},
    };
    for (const Program& program : programs) {
        SCOPED_TRACE(program.fileName);
        const VersionInfo info(builtProgram(program.relative));
        ASSERT_TRUE(info.present());
        const VS_FIXEDFILEINFO* fixed = info.fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, (kVersionMajor << 16) | kVersionMinor);
        EXPECT_EQ(fixed->dwFileVersionLS, kVersionPatch << 16);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "neither a debug nor a pre-release build";

        const auto translations = info.translations();
        ASSERT_EQ(translations.size(), 1u);
        EXPECT_EQ(translations[0], std::make_pair(WORD{0x0409}, WORD{1200}));  // US English, Unicode
        const std::pair<const char*, std::string> strings[] = {
            {"ProductName", "OrvaReader"},
            {"ProductVersion", kProgramVersion},
            {"FileVersion", kProgramVersion},
            {"FileDescription", program.description},
            {"OriginalFilename", program.fileName},
            {"CompanyName", "The OrvaReader authors"},
        };
        for (const auto& [name, expected] : strings) EXPECT_EQ(info.text(translations[0], name), expected) << name;
        const std::string copyright = info.text(translations[0], "LegalCopyright");
        EXPECT_EQ(copyright.rfind("Copyright (C) ", 0), 0u) << copyright;
        EXPECT_NE(copyright.find("The OrvaReader authors"), std::string::npos) << copyright;
    }
}

}  // namespace
}  // namespace orva::testing
