// The built executable as the system sees it: its version block, its program icon, and the
// libraries it needs at start (none of the compiler's runtime DLLs, no shell function bound before
// its first use, no accessibility library before a screen reader asks); and the running program
// as a screen reader in another process reads and operates it. The executable lies in the build
// folder above the test's own, the screen_reader program beside the test.
#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>:
#include <oleacc.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring Folder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The program's executable beside the test or one folder up; empty when there is none.
std::wstring ExecutablePath() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string name = AMORIX_EXE_NAME;
  const std::wstring wide_name(name.begin(), name.end());
  for (const std::wstring& folder : {Folder(self), Folder(Folder(self))}) {
    const std::wstring candidate = folder + L"\\" + wide_name;
    if (::GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
  }
  return {};
}

// version.dll, bound by name so the test links nothing more than the program does.
class VersionApi {
 public:
  VersionApi() : module_(::LoadLibraryW(L"version.dll")) {
    size_ = Bind<SizeFn>("GetFileVersionInfoSizeW");
    info_ = Bind<InfoFn>("GetFileVersionInfoW");
    query_ = Bind<QueryFn>("VerQueryValueW");
  }
  ~VersionApi() {
    if (module_) ::FreeLibrary(module_);
  }
  VersionApi(const VersionApi&) = delete;
  VersionApi& operator=(const VersionApi&) = delete;

  bool ok() const { return size_ && info_ && query_; }

  std::vector<BYTE> Read(const std::wstring& file) const {
    DWORD handle = 0;
    const DWORD size = size_(file.c_str(), &handle);
    std::vector<BYTE> block(size);
    if (size == 0 || !info_(file.c_str(), 0, size, block.data())) block.clear();
    return block;
  }

  std::optional<std::wstring> String(std::vector<BYTE>& block, const wchar_t* name) const {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!query_(block.data(), path.c_str(), &value, &length) || !value) return std::nullopt;
    return std::wstring(static_cast<const wchar_t*>(value));
  }

  std::vector<WORD> Translation(std::vector<BYTE>& block) const {
    void* value = nullptr;
    UINT length = 0;
    if (!query_(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value) return {};
    const auto* words = static_cast<const WORD*>(value);
    return {words, words + length / sizeof(WORD)};
  }

 private:
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

  template <class Fn>
  Fn Bind(const char* name) const {
    return module_
               ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module_, name)))
               : nullptr;
  }

  HMODULE module_;
  SizeFn size_ = nullptr;
  InfoFn info_ = nullptr;
  QueryFn query_ = nullptr;
};

class ExecutableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = ExecutablePath();
    ASSERT_FALSE(exe_.empty()) << "build the program: " << AMORIX_EXE_NAME << " not found";
  }
  std::wstring exe_;
};

TEST_F(ExecutableTest, VersionBlockNamesTheProductInUsEnglishUnicode) {
  VersionApi version;
  ASSERT_TRUE(version.ok());
  std::vector<BYTE> block = version.Read(exe_);
  ASSERT_FALSE(block.empty()) << "the executable has a version block";
  EXPECT_EQ(version.String(block, L"FileVersion"), L"6.00");
  EXPECT_EQ(version.String(block, L"ProductVersion"), L"6.00");
  EXPECT_EQ(version.String(block, L"FileDescription"), L"Quillon Amorix");
  EXPECT_EQ(version.String(block, L"ProductName"), L"Quillon Amorix");
  EXPECT_EQ(version.String(block, L"InternalName"), L"Quillon Amorix");
  EXPECT_EQ(version.String(block, L"OriginalFilename"), L"Quillon Amorix.exe");
  EXPECT_EQ(version.String(block, L"CompanyName"), L"Quillon");
  EXPECT_EQ(version.Translation(block), (std::vector<WORD>{0x0409, 1200}));
}

// System-DPI aware, so Windows at 125-200% lets the program draw at the system's ratio rather than
// stretching it, and run as the user who started it. The tests carry the same resource script,
// so this process shows that the system takes the manifest so.
TEST_F(ExecutableTest, ManifestAsksForTheSystemsRatioAndTheInvokersRights) {
  HMODULE module = ::LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(resource, nullptr) << "the executable has a manifest";
  const std::string manifest(
      static_cast<const char*>(::LockResource(::LoadResource(module, resource))),
      ::SizeofResource(module, resource));
  ::FreeLibrary(module);
  for (const char* declared :
       {">true</dpiAware>", ">system</dpiAwareness>", "level=\"asInvoker\""}) {
    EXPECT_NE(manifest.find(declared), std::string::npos) << declared;
  }
  EXPECT_TRUE(::IsProcessDPIAware());
}

struct IconDirEntry {
  int width, height, bits;
  WORD id;
};

// The entries of an icon group resource: a 6-byte header, then 14 bytes per image.
std::vector<IconDirEntry> IconGroup(HMODULE module, LPCWSTR name) {
  HRSRC resource = ::FindResourceW(module, name, RT_GROUP_ICON);
  if (!resource) return {};
  const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module, resource)));
  const DWORD size = ::SizeofResource(module, resource);
  if (!bytes || size < 6) return {};
  WORD count = 0;
  std::memcpy(&count, bytes + 4, sizeof(count));
  std::vector<IconDirEntry> entries;
  for (DWORD i = 0; i < count && 6 + 14 * (i + 1) <= size; ++i) {
    const BYTE* entry = bytes + 6 + 14 * i;
    WORD bits = 0, id = 0;
    std::memcpy(&bits, entry + 6, sizeof(bits));
    std::memcpy(&id, entry + 12, sizeof(id));
    entries.push_back({entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256, bits, id});
  }
  return entries;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST_F(ExecutableTest, FirstIconGroupHoldsA64PixelImageOf256Colours) {
  HMODULE module = ::LoadLibraryExW(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  LPWSTR first = nullptr;
  ::EnumResourceNamesW(
      module, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR first) -> BOOL {
        *reinterpret_cast<LPWSTR*>(first) = name;
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&first));
  ASSERT_NE(first, nullptr) << "the executable has an icon";
  ASSERT_TRUE(IS_INTRESOURCE(first)) << "numbered, as the resource script numbers it";

  const std::vector<IconDirEntry> group = IconGroup(module, first);
  const auto image = std::ranges::find_if(
      group, [](const IconDirEntry& e) { return e.width == 64 && e.height == 64; });
  ASSERT_NE(image, group.end()) << "a 64 x 64 image";
  EXPECT_EQ(image->bits, 8) << "256 colours";

  // The image itself, not only its entry in the group, is 64 x 64.
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(image->id), RT_ICON);
  ASSERT_NE(resource, nullptr);
  auto* bits = static_cast<BYTE*>(::LockResource(::LoadResource(module, resource)));
  HICON natural = ::CreateIconFromResourceEx(bits, ::SizeofResource(module, resource), TRUE,
                                             0x00030000, 0, 0, LR_DEFAULTCOLOR);
  const SIZE natural_size = IconSize(natural);
  EXPECT_EQ(natural_size.cx, 64);
  EXPECT_EQ(natural_size.cy, 64);
  if (natural) ::DestroyIcon(natural);

  auto* loaded =
      static_cast<HICON>(::LoadImageW(module, first, IMAGE_ICON, 64, 64, LR_DEFAULTCOLOR));
  EXPECT_NE(loaded, nullptr);
  EXPECT_EQ(IconSize(loaded).cx, 64);
  if (loaded) ::DestroyIcon(loaded);
  ::FreeLibrary(module);
}

std::optional<std::vector<BYTE>> ReadWholeFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  std::vector<BYTE> bytes;
  DWORD read = 0;
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 30)) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  }
  ::CloseHandle(file);
  if (read != bytes.size() || bytes.empty()) return std::nullopt;
  return bytes;
}

struct Import {
  std::string library;  // lower case
  std::vector<std::string> functions;
};

// The import directory of a 64-bit PE file, read from its headers and sections.
class PeImports {
 public:
  explicit PeImports(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  std::optional<std::vector<Import>> Read() const {
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return std::nullopt;
    nt_ = At<IMAGE_NT_HEADERS64>(static_cast<size_t>(dos->e_lfanew));
    if (!nt_ || nt_->Signature != IMAGE_NT_SIGNATURE ||
        nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
      return std::nullopt;
    }
    const IMAGE_DATA_DIRECTORY& directory =
        nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<Import> imports;
    for (DWORD rva = directory.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto* descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
      if (!descriptor) return std::nullopt;
      if (descriptor->Name == 0) break;
      const char* name = StringAt(descriptor->Name);
      if (!name) return std::nullopt;
      Import import{name, {}};
      std::ranges::transform(import.library, import.library.begin(),
                             [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      DWORD thunk =
          descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
      for (;; thunk += sizeof(IMAGE_THUNK_DATA64)) {
        const auto* data = AtRva<IMAGE_THUNK_DATA64>(thunk);
        if (!data || data->u1.AddressOfData == 0) break;
        if (IMAGE_SNAP_BY_ORDINAL64(data->u1.Ordinal)) continue;
        if (const char* function = StringAt(static_cast<DWORD>(data->u1.AddressOfData) + 2)) {
          import.functions.push_back(function);
        }
      }
      imports.push_back(std::move(import));
    }
    return imports;
  }

 private:
  template <class T>
  const T* At(size_t offset) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(bytes_.data() + offset);
  }
  std::optional<size_t> Offset(DWORD rva) const {
    const auto* section = IMAGE_FIRST_SECTION(nt_);
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
      const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
      if (rva >= section->VirtualAddress && rva - section->VirtualAddress < size) {
        return size_t{section->PointerToRawData} + (rva - section->VirtualAddress);
      }
    }
    return std::nullopt;
  }
  template <class T>
  const T* AtRva(DWORD rva) const {
    const std::optional<size_t> offset = Offset(rva);
    return offset ? At<T>(*offset) : nullptr;
  }
  const char* StringAt(DWORD rva) const {
    const std::optional<size_t> offset = Offset(rva);
    if (!offset || *offset >= bytes_.size()) return nullptr;
    const auto* text = reinterpret_cast<const char*>(bytes_.data() + *offset);
    return std::memchr(text, 0, bytes_.size() - *offset) ? text : nullptr;
  }

  std::vector<BYTE> bytes_;
  mutable const IMAGE_NT_HEADERS64* nt_ = nullptr;
};

TEST_F(ExecutableTest, ImportsNoCompilerRuntimeAndBindsTheShellLate) {
  std::optional<std::vector<BYTE>> bytes = ReadWholeFile(exe_);
  ASSERT_TRUE(bytes);
  const std::optional<std::vector<Import>> imports = PeImports(std::move(*bytes)).Read();
  ASSERT_TRUE(imports) << "a readable 64-bit import directory";
  std::vector<std::string> libraries;
  for (const Import& import : *imports) libraries.push_back(import.library);
  ASSERT_NE(std::ranges::find(libraries, "kernel32.dll"), libraries.end()) << "read right";
  EXPECT_NE(std::ranges::find(libraries, "user32.dll"), libraries.end());
  for (const char* runtime : {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"}) {
    EXPECT_EQ(std::ranges::find(libraries, runtime), libraries.end()) << runtime;
  }
  EXPECT_EQ(std::ranges::find(libraries, "oleacc.dll"), libraries.end()) << "loaded when asked";
  for (const Import& import : *imports) {
    EXPECT_EQ(std::ranges::find(import.functions, "ShellExecuteA"), import.functions.end())
        << "bound by name on first use, not imported from " << import.library;
  }
}

// A program run to its end (at most 20 s), and what it printed.
std::string RunAndRead(const std::wstring& program, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, 0)) return "no pipe";
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + program + L"\" " + arguments;
  const BOOL started = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  ::CloseHandle(write);
  std::string out = started ? "" : "not started";
  char buffer[4096];
  DWORD got = 0;
  while (started && ::ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    out.append(buffer, got);
  }
  ::CloseHandle(read);
  if (started) {
    ::WaitForSingleObject(process.hProcess, 20000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
  return out;
}

// The shown window of that process with that caption, waited for up to 10 s.
HWND WaitForWindow(DWORD process, const wchar_t* caption) {
  for (int i = 0; i < 200; ++i) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"AmorixForm", caption); w;
         w = ::FindWindowExW(nullptr, w, L"AmorixForm", caption)) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (owner == process && ::IsWindowVisible(w)) return w;
    }
    ::Sleep(50);
  }
  return nullptr;
}

std::string RoleText(long role) {
  char text[64] = "?";
  ::GetRoleTextA(static_cast<DWORD>(role), text, 64);
  return text;
}

TEST_F(ExecutableTest, AScreenReaderInAnotherProcessReadsAndOperatesIt) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring reader = Folder(self) + L"\\screen_reader.exe";
  ASSERT_NE(::GetFileAttributesW(reader.c_str()), INVALID_FILE_ATTRIBUTES);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION program{};
  ASSERT_TRUE(::CreateProcessW(exe_.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &program));
  ASSERT_NE(WaitForWindow(program.dwProcessId, L"Amorix-Nimbus"), nullptr);

  const std::string view = RunAndRead(reader, L"");
  std::printf("%s", view.c_str());
  const std::string button = RoleText(ROLE_SYSTEM_PUSHBUTTON);
  for (const std::string& line : {"window " + RoleText(ROLE_SYSTEM_CLIENT) + " \"Amorix-Nimbus\"\n",
                                  "   2 " + button + " \"Calculate\" (Press)\n",
                                  "   5 " + button + " \"CREDIT\" (Press)\n"}) {
    EXPECT_NE(view.find(line), std::string::npos) << line;
  }
  // CREDIT, its close label, the exit label and "Yes", all pressed from the reader's process.
  EXPECT_EQ(RunAndRead(reader, L"press Amorix-Nimbus 5"), "0x00000000\n");
  EXPECT_NE(WaitForWindow(program.dwProcessId, L"Credit"), nullptr);
  EXPECT_EQ(RunAndRead(reader, L"press Credit 1"), "0x00000000\n");
  EXPECT_NE(WaitForWindow(program.dwProcessId, L"Amorix-Nimbus"), nullptr);
  EXPECT_EQ(RunAndRead(reader, L"press Amorix-Nimbus 1"), "0x00000000\n");
  EXPECT_NE(WaitForWindow(program.dwProcessId, L"Confirmation"), nullptr);
  // The program may end before the reader has its answer: the call then fails as disconnected.
  const std::string yes = RunAndRead(reader, L"press Confirmation 3");
  EXPECT_TRUE(yes == "0x00000000\n" || yes == "0x800706be\n") << yes;
  const DWORD ended = ::WaitForSingleObject(program.hProcess, 10000);
  DWORD code = 99;
  ::GetExitCodeProcess(program.hProcess, &code);
  if (ended != WAIT_OBJECT_0) ::TerminateProcess(program.hProcess, 3);
  EXPECT_EQ(ended, WAIT_OBJECT_0) << "\"Yes\" ended the program";
  EXPECT_EQ(code, 0u);
  ::CloseHandle(program.hThread);
  ::CloseHandle(program.hProcess);
}

}  // namespace
