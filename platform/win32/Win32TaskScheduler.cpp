#include "platform/win32/Win32TaskScheduler.h"

#include "platform/win32/WinText.h"

#include <objbase.h>
#include <oleauto.h>
#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <cstdio>
#include <cwchar>
#include <utility>

namespace tavrel {

namespace {

// The weekly and logon triggers are part of the Task Scheduler's interface since Windows
// Vista, but not of every compiler's headers; their layout and identities are those the
// system documents.
const GUID kIidWeeklyTrigger = {0x5038fc98, 0x82ff, 0x436d, {0x87, 0x28, 0xa5, 0x12, 0xa5, 0x7c, 0x9d, 0xc1}};
const GUID kIidLogonTrigger = {0x72dade38, 0xfae4, 0x4b3e, {0xba, 0xf4, 0x5d, 0x00, 0x9a, 0xf0, 0x2b, 0x1c}};

struct WeeklyTriggerApi : public ITrigger {
    virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WeeksInterval(short* weeks) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WeeksInterval(short weeks) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};

struct LogonTriggerApi : public ITrigger {
    virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};

// Owns one interface pointer.
template <class T>
class Com {
public:
    Com() = default;
    ~Com() { Reset(); }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Out() {
        Reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    template <class U>
    HRESULT As(const GUID& iid, Com<U>& out) const {
        return p_ ? p_->QueryInterface(iid, reinterpret_cast<void**>(out.Out())) : E_POINTER;
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    explicit Bstr(const std::string& text) : Bstr(ToWide(text)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return b_; }
    BSTR* Out() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::string Text() const { return b_ ? FromWide(std::wstring_view(b_, SysStringLen(b_))) : std::string(); }

private:
    BSTR b_ = nullptr;
};

// COM on this thread for one call. A thread that already has COM in another apartment
// (RPC_E_CHANGED_MODE) can use it as it is.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

VARIANT Empty() {
    VARIANT v;
    VariantInit(&v);
    return v;
}

bool NotFound(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

bool Fail(TaskError& error, HRESULT hr, const char* step, bool unavailable = false) {
    error.code = static_cast<uint32_t>(hr);
    std::string text = SystemErrorText(static_cast<DWORD>(hr));
    char code[32];
    std::snprintf(code, sizeof code, " (0x%08lX, %s)", static_cast<unsigned long>(hr), step);
    error.text = text + code;
    error.unavailable = unavailable;
    return false;
}

// The Task Scheduler on this computer, or false with the reason.
bool Connect(Com<ITaskService>& service, TaskError& error) {
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(service.Out()));
    if (FAILED(hr)) return Fail(error, hr, "CoCreateInstance", true);
    VARIANT none = Empty();
    hr = service->Connect(none, none, none, none);
    if (FAILED(hr)) return Fail(error, hr, "Connect", true);
    return true;
}

std::wstring FolderPath(const std::string& folder) { return L"\\" + ToWide(folder); }

// "2026-12-08T22:00:00": today at the plan's time, local time (no zone), so the task keeps to
// the wall clock through summer time.
std::wstring StartBoundary(int hour, int minute) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02uT%02d:%02d:00", now.wYear, now.wMonth, now.wDay, hour, minute);
    return text;
}

// The hour and minute of a start boundary "YYYY-MM-DDTHH:MM:SS[...]".
bool ParseStartBoundary(const std::string& text, int& hour, int& minute) {
    const size_t t = text.find('T');
    if (t == std::string::npos || text.size() < t + 6 || text[t + 3] != ':') return false;
    auto digit = [&](size_t i) { return text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -100; };
    hour = digit(t + 1) * 10 + digit(t + 2);
    minute = digit(t + 4) * 10 + digit(t + 5);
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

// Days of the week as the Task Scheduler counts them: bit 0 Sunday .. bit 6 Saturday.
short DayBit(int weekday) { return static_cast<short>(1 << ((weekday + 1) % 7)); }

int WeekdayOfBits(short bits) {
    for (int weekday = 0; weekday < 7; ++weekday)
        if (bits == DayBit(weekday)) return weekday;
    return -1;
}

// The one trigger the program sets, read back; Other for anything else.
void ReadTrigger(ITaskDefinition* definition, TaskDefinition& out) {
    out.trigger = TaskTrigger::Other;
    Com<ITriggerCollection> triggers;
    LONG count = 0;
    if (FAILED(definition->get_Triggers(triggers.Out())) || FAILED(triggers->get_Count(&count)) || count != 1) return;
    Com<ITrigger> trigger;
    TASK_TRIGGER_TYPE2 type{};
    if (FAILED(triggers->get_Item(1, trigger.Out())) || FAILED(trigger->get_Type(&type))) return;
    Bstr start;
    const bool timed = SUCCEEDED(trigger->get_StartBoundary(start.Out())) &&
                       ParseStartBoundary(start.Text(), out.hour, out.minute);
    if (type == TASK_TRIGGER_DAILY) {
        Com<IDailyTrigger> daily;
        short days = 0;
        if (timed && SUCCEEDED(trigger.As(IID_IDailyTrigger, daily)) && SUCCEEDED(daily->get_DaysInterval(&days)) &&
            days == 1)
            out.trigger = TaskTrigger::Daily;
    } else if (type == TASK_TRIGGER_WEEKLY) {
        Com<WeeklyTriggerApi> weekly;
        short weeks = 0, days = 0;
        if (timed && SUCCEEDED(trigger.As(kIidWeeklyTrigger, weekly)) && SUCCEEDED(weekly->get_WeeksInterval(&weeks)) &&
            weeks == 1 && SUCCEEDED(weekly->get_DaysOfWeek(&days)) && WeekdayOfBits(days) >= 0) {
            out.weekday = WeekdayOfBits(days);
            out.trigger = TaskTrigger::Weekly;
        }
    } else if (type == TASK_TRIGGER_LOGON) {
        out.trigger = TaskTrigger::Logon;
    }
}

void ReadAction(ITaskDefinition* definition, TaskDefinition& out) {
    Com<IActionCollection> actions;
    LONG count = 0;
    if (FAILED(definition->get_Actions(actions.Out())) || FAILED(actions->get_Count(&count)) || count < 1) return;
    Com<IAction> action;
    Com<IExecAction> exec;
    if (FAILED(actions->get_Item(1, action.Out())) || FAILED(action.As(IID_IExecAction, exec))) return;
    Bstr path, arguments, folder;
    if (SUCCEEDED(exec->get_Path(path.Out()))) out.program = path.Text();
    if (SUCCEEDED(exec->get_Arguments(arguments.Out()))) out.arguments = arguments.Text();
    if (SUCCEEDED(exec->get_WorkingDirectory(folder.Out()))) out.workingFolder = folder.Text();
}

// The time of the last run. A task that never ran reports a time before 2000 (0, or
// 30-11-1999 on some versions), which is no run.
std::optional<LocalTime> LastRunOf(IRegisteredTask* task) {
    DATE date = 0;
    SYSTEMTIME st{};
    if (FAILED(task->get_LastRunTime(&date)) || !VariantTimeToSystemTime(date, &st) || st.wYear < 2000)
        return std::nullopt;
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

bool Check(HRESULT hr, TaskError& error, const char* step) { return SUCCEEDED(hr) || Fail(error, hr, step); }

// For a property whose value the registration gives anyway or that only refines the task: an
// implementation without it (Wine has none of these) still gets the task.
bool Refine(HRESULT hr, TaskError& error, const char* step) { return hr == E_NOTIMPL || Check(hr, error, step); }

bool AddTrigger(ITaskDefinition* definition, const TaskDefinition& task, TaskError& error) {
    Com<ITriggerCollection> triggers;
    if (!Check(definition->get_Triggers(triggers.Out()), error, "Triggers")) return false;
    Com<ITrigger> trigger;
    switch (task.trigger) {
    case TaskTrigger::Daily: {
        if (!Check(triggers->Create(TASK_TRIGGER_DAILY, trigger.Out()), error, "TASK_TRIGGER_DAILY")) return false;
        Com<IDailyTrigger> daily;
        if (!Check(trigger.As(IID_IDailyTrigger, daily), error, "IDailyTrigger") ||
            !Check(daily->put_DaysInterval(1), error, "DaysInterval"))
            return false;
        break;
    }
    case TaskTrigger::Weekly: {
        if (!Check(triggers->Create(TASK_TRIGGER_WEEKLY, trigger.Out()), error, "TASK_TRIGGER_WEEKLY")) return false;
        Com<WeeklyTriggerApi> weekly;
        if (!Check(trigger.As(kIidWeeklyTrigger, weekly), error, "IWeeklyTrigger") ||
            !Check(weekly->put_WeeksInterval(1), error, "WeeksInterval") ||
            !Check(weekly->put_DaysOfWeek(DayBit(task.weekday)), error, "DaysOfWeek"))
            return false;
        break;
    }
    case TaskTrigger::Logon: {
        if (!Check(triggers->Create(TASK_TRIGGER_LOGON, trigger.Out()), error, "TASK_TRIGGER_LOGON")) return false;
        // Only the current user's logon: a trigger for every user's would need an administrator.
        Com<LogonTriggerApi> logon;
        const std::string user = Win32TaskScheduler::CurrentUser();
        if (!Check(trigger.As(kIidLogonTrigger, logon), error, "ILogonTrigger") ||
            (!user.empty() && !Check(logon->put_UserId(Bstr(user)), error, "UserId")))
            return false;
        return true;
    }
    case TaskTrigger::Other: return Fail(error, E_INVALIDARG, "trigger");
    }
    return Check(trigger->put_StartBoundary(Bstr(StartBoundary(task.hour, task.minute))), error, "StartBoundary");
}

bool Describe(ITaskDefinition* definition, const TaskDefinition& task, TaskError& error) {
    Com<IRegistrationInfo> info;
    if (!Check(definition->get_RegistrationInfo(info.Out()), error, "RegistrationInfo") ||
        !Refine(info->put_Author(Bstr(std::string("Ambrex Tavrel"))), error, "Author") ||
        !Refine(info->put_Description(Bstr(task.description)), error, "Description"))
        return false;

    // The registration runs it with the user's interactive token as well; the principal says
    // so in the task's own description, where the system has one.
    Com<IPrincipal> principal;
    if (!Refine(definition->get_Principal(principal.Out()), error, "Principal") ||
        (principal && (!Refine(principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN), error, "LogonType") ||
                       !Refine(principal->put_RunLevel(TASK_RUNLEVEL_LUA), error, "RunLevel"))))
        return false;

    // A backup of a laptop runs on its battery too; the Task Scheduler's default would skip it.
    Com<ITaskSettings> settings;
    if (!Check(definition->get_Settings(settings.Out()), error, "Settings") ||
        !Check(settings->put_StartWhenAvailable(task.startWhenAvailable ? VARIANT_TRUE : VARIANT_FALSE), error,
               "StartWhenAvailable") ||
        !Refine(settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE), error, "DisallowStartIfOnBatteries") ||
        !Refine(settings->put_StopIfGoingOnBatteries(VARIANT_FALSE), error, "StopIfGoingOnBatteries") ||
        !Refine(settings->put_Enabled(VARIANT_TRUE), error, "Enabled"))
        return false;

    Com<IActionCollection> actions;
    Com<IAction> action;
    Com<IExecAction> exec;
    return Check(definition->get_Actions(actions.Out()), error, "Actions") &&
           Check(actions->Create(TASK_ACTION_EXEC, action.Out()), error, "TASK_ACTION_EXEC") &&
           Check(action.As(IID_IExecAction, exec), error, "IExecAction") &&
           Check(exec->put_Path(Bstr(task.program)), error, "Path") &&
           Check(exec->put_Arguments(Bstr(task.arguments)), error, "Arguments") &&
           Check(exec->put_WorkingDirectory(Bstr(task.workingFolder)), error, "WorkingDirectory");
}

// The task folder; created under the root when create is set and it is missing.
HRESULT OpenFolder(ITaskService* service, const std::string& folder, bool create, Com<ITaskFolder>& out) {
    HRESULT hr = service->GetFolder(Bstr(FolderPath(folder)), out.Out());
    if (SUCCEEDED(hr) || !create || !NotFound(hr)) return hr;
    Com<ITaskFolder> root;
    hr = service->GetFolder(Bstr(std::wstring(L"\\")), root.Out());
    if (FAILED(hr)) return hr;
    VARIANT none = Empty();
    hr = root->CreateFolder(Bstr(folder), none, out.Out());
    // Made meanwhile by another run of the program.
    if (hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)) hr = service->GetFolder(Bstr(FolderPath(folder)), out.Out());
    return hr;
}

}  // namespace

std::string Win32TaskScheduler::CurrentUser() {
    wchar_t name[512];
    ULONG size = 512;
    if (GetUserNameExW(NameSamCompatible, name, &size)) return FromWide(name);
    DWORD plain = 512;
    if (GetUserNameW(name, &plain)) return FromWide(name);
    return {};
}

TaskLookup Win32TaskScheduler::GetTask(const std::string& folder, const std::string& name, TaskState& state,
                                       TaskError& error) {
    ComScope com;
    if (!com.Usable()) return Fail(error, com.Result(), "CoInitializeEx", true), TaskLookup::Failed;
    Com<ITaskService> service;
    if (!Connect(service, error)) return TaskLookup::Failed;
    Com<ITaskFolder> taskFolder;
    HRESULT hr = OpenFolder(service.Get(), folder, false, taskFolder);
    if (NotFound(hr)) return TaskLookup::Missing;
    if (FAILED(hr)) return Fail(error, hr, "GetFolder"), TaskLookup::Failed;
    Com<IRegisteredTask> task;
    hr = taskFolder->GetTask(Bstr(name), task.Out());
    if (NotFound(hr)) return TaskLookup::Missing;
    if (FAILED(hr)) return Fail(error, hr, "GetTask"), TaskLookup::Failed;
    Com<ITaskDefinition> definition;
    if (FAILED(hr = task->get_Definition(definition.Out()))) return Fail(error, hr, "Definition"), TaskLookup::Failed;

    state = TaskState{};
    ReadTrigger(definition.Get(), state.definition);
    ReadAction(definition.Get(), state.definition);
    Com<ITaskSettings> settings;
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (SUCCEEDED(definition->get_Settings(settings.Out())) && SUCCEEDED(settings->get_StartWhenAvailable(&flag)))
        state.definition.startWhenAvailable = flag != VARIANT_FALSE;
    Com<IRegistrationInfo> info;
    Bstr description;
    if (SUCCEEDED(definition->get_RegistrationInfo(info.Out())) && SUCCEEDED(info->get_Description(description.Out())))
        state.definition.description = description.Text();
    if (SUCCEEDED(task->get_Enabled(&flag))) state.enabled = flag != VARIANT_FALSE;
    state.lastRun = LastRunOf(task.Get());
    LONG result = 0;
    if (SUCCEEDED(task->get_LastTaskResult(&result))) state.lastResult = static_cast<uint32_t>(result);
    return TaskLookup::Found;
}

bool Win32TaskScheduler::SetTask(const std::string& folder, const std::string& name, const TaskDefinition& definition,
                                 TaskError& error) {
    ComScope com;
    if (!com.Usable()) return Fail(error, com.Result(), "CoInitializeEx", true);
    Com<ITaskService> service;
    if (!Connect(service, error)) return false;
    Com<ITaskDefinition> task;
    if (!Check(service->NewTask(0, task.Out()), error, "NewTask")) return false;
    if (!Describe(task.Get(), definition, error) || !AddTrigger(task.Get(), definition, error)) return false;
    Com<ITaskFolder> taskFolder;
    if (!Check(OpenFolder(service.Get(), folder, true, taskFolder), error, "CreateFolder")) return false;
    VARIANT none = Empty();
    Com<IRegisteredTask> registered;
    return Check(taskFolder->RegisterTaskDefinition(Bstr(name), task.Get(), TASK_CREATE_OR_UPDATE, none, none,
                                                    TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Out()),
                 error, "RegisterTaskDefinition");
}

bool Win32TaskScheduler::RemoveTask(const std::string& folder, const std::string& name, TaskError& error) {
    ComScope com;
    if (!com.Usable()) return Fail(error, com.Result(), "CoInitializeEx", true);
    Com<ITaskService> service;
    if (!Connect(service, error)) return false;
    Com<ITaskFolder> taskFolder;
    HRESULT hr = OpenFolder(service.Get(), folder, false, taskFolder);
    if (NotFound(hr)) return true;
    if (!Check(hr, error, "GetFolder")) return false;
    hr = taskFolder->DeleteTask(Bstr(name), 0);
    return NotFound(hr) || Check(hr, error, "DeleteTask");
}

}  // namespace tavrel
