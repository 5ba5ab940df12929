#include "app/app_module.h"

CAppModule g_module;

void CAppModule::Init(HINSTANCE instance)
{
    m_instance = instance;
}

void CAppModule::KeepLaunchFolder()
{
    // Sized by what the call asks for; the folder may be deeper than MAX_PATH.
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length = folder.empty() ? 0 : GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    folder.resize(length < folder.size() ? length : 0);
    m_launchFolder = std::move(folder);
}

void CAppModule::Term()
{
    CriticalSectionLock lock(m_lock);
    m_loops.clear();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop)
{
    CriticalSectionLock lock(m_lock);
    return m_loops.emplace(GetCurrentThreadId(), loop).second;
}

BOOL CAppModule::RemoveMessageLoop()
{
    CriticalSectionLock lock(m_lock);
    return m_loops.erase(GetCurrentThreadId()) == 1;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId)
{
    CriticalSectionLock lock(m_lock);
    const auto found = m_loops.find(threadId);
    return found == m_loops.end() ? nullptr : found->second;
}
