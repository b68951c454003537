// The system's file dialog on Windows: IFileDialog, modal. It runs its own message loop while it is open
// (the editor's window keeps painting behind it); the file selector takes the answer at its next poll.
#include "gui/NativeFileDialog.h"

#include "core/platform/win32/WideText.h"

#include <windows.h>

#include <shobjidl.h>

namespace Mirda {
namespace {

template <typename Interface> struct ComPointer {
    Interface* p = nullptr;
    ~ComPointer() {
        if (p) p->Release();
    }
    Interface* operator->() const { return p; }
};

// The folder part of a path and its last name ("C:\a\b.fxp" -> "C:\a", "b.fxp"), either separator.
std::pair<std::wstring, std::wstring> splitPath(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {L"", path};
    return {path.substr(0, cut), path.substr(cut + 1)};
}

void startIn(IFileDialog& dialog, const std::wstring& folder) {
    ComPointer<IShellItem> item;
    if (!folder.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(&item.p))))
        dialog.SetFolder(item.p);
}

std::vector<std::string> chosenPaths(IFileDialog& dialog, bool open) {
    std::vector<std::string> paths;
    const auto add = [&](IShellItem* item) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
            paths.push_back(Core::narrowed(path));
            CoTaskMemFree(path);
        }
    };
    ComPointer<IFileOpenDialog> openDialog;
    ComPointer<IShellItemArray> items;
    if (open && SUCCEEDED(dialog.QueryInterface(IID_PPV_ARGS(&openDialog.p))) &&
        SUCCEEDED(openDialog->GetResults(&items.p))) {
        DWORD count = 0;
        items->GetCount(&count);
        for (DWORD i = 0; i < count; ++i) {
            ComPointer<IShellItem> item;
            if (SUCCEEDED(items->GetItemAt(i, &item.p))) add(item.p);
        }
        return paths;
    }
    ComPointer<IShellItem> item;
    if (SUCCEEDED(dialog.GetResult(&item.p))) add(item.p);
    return paths;
}

// Shows the dialog and fills `paths` with the choice; false when there is no dialog to show.
bool showDialog(const CFileDialogRequest& request, std::vector<std::string>& paths) {
    const bool save = request.style == FileSelectorStyle::kSave;
    ComPointer<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog.p))))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR;
    if (request.style == FileSelectorStyle::kFolder) options |= FOS_PICKFOLDERS;
    if (request.style == FileSelectorStyle::kOpen && request.allowMultiple) options |= FOS_ALLOWMULTISELECT;
    if (save) options |= FOS_OVERWRITEPROMPT;
    dialog->SetOptions(options);
    dialog->SetTitle(Core::widened(request.title).c_str());
    // File types: the names and patterns must outlive the call that shows them.
    std::vector<std::wstring> texts;
    for (const CFileExtension& e : request.extensions) {
        texts.push_back(Core::widened(e.description + " (" + e.extension + ")"));
        texts.push_back(Core::widened("*." + e.extension));
    }
    std::vector<COMDLG_FILTERSPEC> types;
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        types.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    if (!types.empty() && request.style != FileSelectorStyle::kFolder) {
        types.push_back({L"All files", L"*.*"});
        dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data());
        dialog->SetDefaultExtension(Core::widened(request.extensions.front().extension).c_str());
    }
    const std::wstring initial = Core::widened(request.initialPath);
    if (save) {
        const auto [folder, name] = splitPath(initial);
        startIn(*dialog.p, folder);
        if (!name.empty()) dialog->SetFileName(name.c_str());
    } else {
        startIn(*dialog.p, initial);
    }
    HWND owner = request.owner ? GetAncestor(static_cast<HWND>(request.owner), GA_ROOT) : nullptr;
    if (SUCCEEDED(dialog->Show(owner))) paths = chosenPaths(*dialog.p, !save);
    return true;
}

class CWin32FileDialog : public CNativeFileDialog {
public:
    bool start(const CFileDialogRequest& request) override {
        // The dialog needs COM on this thread; hosts usually have it already.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        if (FAILED(com) && com != RPC_E_CHANGED_MODE) return false;
        const bool shown = showDialog(request, m_paths);
        if (SUCCEEDED(com)) CoUninitialize();
        return shown;
    }
    bool poll(std::vector<std::string>& paths) override {
        paths = m_paths;
        return true;
    }
    bool wait(int) override { return true; }

private:
    std::vector<std::string> m_paths;
};

} // namespace

std::unique_ptr<CNativeFileDialog> makeNativeFileDialog() {
    return std::make_unique<CWin32FileDialog>();
}

} // namespace Mirda
