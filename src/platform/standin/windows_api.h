// The Windows services the module uses, declared for builds without Windows.
//
// Names, types, constants and result codes are those of the Windows API, so that code written
// against <windows.h> and <mmsystem.h> compiles unchanged. The stand-in library implements
// them on top of the C++ standard library and POSIX threads; the far side that a test or the
// simulator drives is declared in far_side.h (test clock, debugger output, registry), midi_bus.h
// (virtual MIDI bus) and dialog_user.h (the user in front of a dialog).
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(KORVANE_STANDIN_BUILD)
#define STANDIN_API __attribute__((visibility("default")))
#else
#define STANDIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// ---- Base types (LLP64 widths: DWORD and LONG are 32 bits on every build) -------------------

#define WINAPI
#define CALLBACK
#define CDECL

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef void* LPVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef size_t SIZE_T;
typedef uintptr_t UINT_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* HANDLE;

#define STANDIN_DECLARE_HANDLE(name)                                                               \
    struct name##__;                                                                               \
    typedef struct name##__* name
STANDIN_DECLARE_HANDLE(HWND);
STANDIN_DECLARE_HANDLE(HINSTANCE);
STANDIN_DECLARE_HANDLE(HKEY);
STANDIN_DECLARE_HANDLE(HMIDIIN);
STANDIN_DECLARE_HANDLE(HMIDIOUT);
typedef HINSTANCE HMODULE;
typedef HKEY* PHKEY;
typedef HMIDIIN* LPHMIDIIN;
typedef HMIDIOUT* LPHMIDIOUT;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA

// ---- Kernel: time, debugger output, events, waits, critical sections, threads ---------------

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L

STANDIN_API DWORD WINAPI GetTickCount(void);
STANDIN_API void WINAPI OutputDebugStringA(LPCSTR text);
STANDIN_API DWORD WINAPI GetLastError(void);
STANDIN_API void WINAPI Sleep(DWORD milliseconds);

STANDIN_API HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset,
                                       BOOL initialState, LPCSTR name);
STANDIN_API BOOL WINAPI SetEvent(HANDLE event);
STANDIN_API BOOL WINAPI ResetEvent(HANDLE event);
// Waits for an event to be signalled or a thread to end; the time-out counts real time.
STANDIN_API DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
STANDIN_API BOOL WINAPI CloseHandle(HANDLE handle);

// A recursive lock. The storage is opaque and large enough for the implementation's mutex.
typedef struct _RTL_CRITICAL_SECTION {
    union {
        void* alignment;
        unsigned char bytes[64];
    } opaque;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

STANDIN_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
STANDIN_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
STANDIN_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section);
STANDIN_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
STANDIN_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);
STANDIN_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                       LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                       DWORD creationFlags, LPDWORD threadId);
STANDIN_API DWORD WINAPI GetCurrentThreadId(void);

// A module is named by its base address, as on Windows. The stand-in answers only the lookup
// of the module that contains an address.
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004
#define ERROR_MOD_NOT_FOUND 126L
STANDIN_API BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module);

// ---- User: formatting, thread timers and the message loop, dialogs -------------------------

// Formats as sprintf does for the subset Windows supports, writing at most 1024 characters
// with the terminator included (longer output is cut and still terminated); returns the number
// of characters written before the terminator.
STANDIN_API int CDECL wsprintfA(LPSTR destination, LPCSTR format, ...);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

#define WM_NULL 0x0000
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_USER 0x0400

#define WM_APP 0x8000

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// Kinds of queue input, for MsgWaitForMultipleObjects and PeekMessageA's PM_QS_ flags.
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_SENDMESSAGE 0x0040
#define QS_ALLINPUT 0x04FF
#define PM_QS_SENDMESSAGE (QS_SENDMESSAGE << 16)
#define PM_QS_POSTMESSAGE ((QS_POSTMESSAGE | QS_TIMER) << 16)

typedef void(CALLBACK* TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

// A timer without a window belongs to the calling thread: WM_TIMER reaches that thread's
// queue, and the procedure runs when the thread dispatches the message.
STANDIN_API UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
STANDIN_API BOOL WINAPI KillTimer(HWND window, UINT_PTR id);

STANDIN_API BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
STANDIN_API BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                                     UINT removeMessage);
STANDIN_API BOOL WINAPI TranslateMessage(const MSG* message);
STANDIN_API LRESULT WINAPI DispatchMessageA(const MSG* message);
STANDIN_API BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam,
                                           LPARAM lParam);
STANDIN_API void WINAPI PostQuitMessage(int exitCode);
// Waits for one of the handles (events, threads) or for queue input of the kinds in `mask`:
// WAIT_OBJECT_0 + i for handle i, WAIT_OBJECT_0 + count for input, WAIT_TIMEOUT. Messages
// sent from other threads wake it with QS_SENDMESSAGE; it does not deliver them (PeekMessageA
// does). Only waits for any one handle (waitAll FALSE).
STANDIN_API DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                                   DWORD milliseconds, DWORD mask);

// Message-only windows (parent HWND_MESSAGE) of a registered class: messages sent to one from
// another thread are delivered on the thread that created it, when that thread looks at its
// messages (PeekMessageA, GetMessageA) — as a Host's hidden window serves calls on its own
// thread.
typedef WORD ATOM;
STANDIN_DECLARE_HANDLE(HMENU);
STANDIN_DECLARE_HANDLE(HICON);
STANDIN_DECLARE_HANDLE(HBRUSH);
typedef HICON HCURSOR;
typedef LRESULT(CALLBACK* WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA;
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)

STANDIN_API ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
STANDIN_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                                        DWORD style, int x, int y, int width, int height,
                                        HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
STANDIN_API BOOL WINAPI DestroyWindow(HWND window);
STANDIN_API LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

typedef INT_PTR(CALLBACK* DLGPROC)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E

#define MAKEWPARAM(low, high) ((WPARAM)(DWORD)(((WORD)(low)) | (((DWORD)((WORD)(high))) << 16)))

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

#define IDOK 1
#define IDCANCEL 2
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define GWLP_USERDATA (-21)

// Window, dialog and control styles that dialog templates use.
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define SS_LEFT 0x00000000L
#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_AUTOHSCROLL 0x0040L
#define CBS_SORT 0x0100L

#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CB_GETEDITSEL 0x0140
#define CB_LIMITTEXT 0x0141
#define CB_SETEDITSEL 0x0142
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_FINDSTRINGEXACT 0x0158

STANDIN_API INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                           DLGPROC procedure, LPARAM initParam);
STANDIN_API BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
STANDIN_API HWND WINAPI GetDlgItem(HWND dialog, int id);
STANDIN_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
STANDIN_API LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                               LPARAM lParam);
STANDIN_API LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
STANDIN_API LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index);

// ---- Registry: string values under HKEY_CURRENT_USER ----------------------------------------

typedef LONG LSTATUS;
typedef DWORD REGSAM;

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

STANDIN_API LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
STANDIN_API LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                           DWORD options, REGSAM desired,
                                           const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                           LPDWORD disposition);
STANDIN_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                                            LPDWORD type, LPBYTE data, LPDWORD dataSize);
STANDIN_API LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                          const BYTE* data, DWORD dataSize);
STANDIN_API LSTATUS WINAPI RegCloseKey(HKEY key);

// ---- Multimedia MIDI services --------------------------------------------------------------

typedef UINT MMRESULT;
typedef UINT MMVERSION;

#define MAXPNAMELEN 32
#define MAXERRORLENGTH 256

#define MMSYSERR_BASE 0
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR (MMSYSERR_BASE + 1)
#define MMSYSERR_BADDEVICEID (MMSYSERR_BASE + 2)
#define MMSYSERR_NOTENABLED (MMSYSERR_BASE + 3)
#define MMSYSERR_ALLOCATED (MMSYSERR_BASE + 4)
#define MMSYSERR_INVALHANDLE (MMSYSERR_BASE + 5)
#define MMSYSERR_NODRIVER (MMSYSERR_BASE + 6)
#define MMSYSERR_NOMEM (MMSYSERR_BASE + 7)
#define MMSYSERR_NOTSUPPORTED (MMSYSERR_BASE + 8)
#define MMSYSERR_BADERRNUM (MMSYSERR_BASE + 9)
#define MMSYSERR_INVALFLAG (MMSYSERR_BASE + 10)
#define MMSYSERR_INVALPARAM (MMSYSERR_BASE + 11)
#define MMSYSERR_HANDLEBUSY (MMSYSERR_BASE + 12)
#define MMSYSERR_INVALIDALIAS (MMSYSERR_BASE + 13)
#define MMSYSERR_BADDB (MMSYSERR_BASE + 14)
#define MMSYSERR_KEYNOTFOUND (MMSYSERR_BASE + 15)
#define MMSYSERR_READERROR (MMSYSERR_BASE + 16)
#define MMSYSERR_WRITEERROR (MMSYSERR_BASE + 17)
#define MMSYSERR_DELETEERROR (MMSYSERR_BASE + 18)
#define MMSYSERR_VALNOTFOUND (MMSYSERR_BASE + 19)
#define MMSYSERR_NODRIVERCB (MMSYSERR_BASE + 20)
#define MMSYSERR_MOREDATA (MMSYSERR_BASE + 21)
#define MMSYSERR_LASTERROR (MMSYSERR_BASE + 21)

#define MIDIERR_BASE 64
#define MIDIERR_UNPREPARED (MIDIERR_BASE + 0)
#define MIDIERR_STILLPLAYING (MIDIERR_BASE + 1)
#define MIDIERR_NOMAP (MIDIERR_BASE + 2)
#define MIDIERR_NOTREADY (MIDIERR_BASE + 3)
#define MIDIERR_NODEVICE (MIDIERR_BASE + 4)
#define MIDIERR_INVALIDSETUP (MIDIERR_BASE + 5)
#define MIDIERR_BADOPENMODE (MIDIERR_BASE + 6)
#define MIDIERR_DONT_CONTINUE (MIDIERR_BASE + 7)
#define MIDIERR_LASTERROR (MIDIERR_BASE + 7)

#define CALLBACK_TYPEMASK 0x00070000L
#define CALLBACK_NULL 0x00000000L
#define CALLBACK_WINDOW 0x00010000L
#define CALLBACK_TASK 0x00020000L
#define CALLBACK_FUNCTION 0x00030000L
#define CALLBACK_THREAD CALLBACK_TASK
#define CALLBACK_EVENT 0x00050000L

#define MM_MIM_OPEN 0x3C1
#define MM_MIM_CLOSE 0x3C2
#define MM_MIM_DATA 0x3C3
#define MM_MIM_LONGDATA 0x3C4
#define MM_MIM_ERROR 0x3C5
#define MM_MIM_LONGERROR 0x3C6
#define MM_MOM_OPEN 0x3C7
#define MM_MOM_CLOSE 0x3C8
#define MM_MOM_DONE 0x3C9
#define MIM_OPEN MM_MIM_OPEN
#define MIM_CLOSE MM_MIM_CLOSE
#define MIM_DATA MM_MIM_DATA
#define MIM_LONGDATA MM_MIM_LONGDATA
#define MIM_ERROR MM_MIM_ERROR
#define MIM_LONGERROR MM_MIM_LONGERROR
#define MOM_OPEN MM_MOM_OPEN
#define MOM_CLOSE MM_MOM_CLOSE
#define MOM_DONE MM_MOM_DONE

#define MHDR_DONE 0x00000001
#define MHDR_PREPARED 0x00000002
#define MHDR_INQUEUE 0x00000004
#define MHDR_ISSTRM 0x00000008

typedef struct midihdr_tag {
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    struct midihdr_tag* lpNext;
    DWORD_PTR reserved;
    DWORD dwOffset;
    DWORD_PTR dwReserved[8];
} MIDIHDR, *PMIDIHDR, *LPMIDIHDR;

typedef struct tagMIDIINCAPSA {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    CHAR szPname[MAXPNAMELEN];
    DWORD dwSupport;
} MIDIINCAPSA, *LPMIDIINCAPSA;

typedef struct tagMIDIOUTCAPSA {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    CHAR szPname[MAXPNAMELEN];
    WORD wTechnology;
    WORD wVoices;
    WORD wNotes;
    WORD wChannelMask;
    DWORD dwSupport;
} MIDIOUTCAPSA, *LPMIDIOUTCAPSA;

#define MOD_MIDIPORT 1

STANDIN_API UINT WINAPI midiInGetNumDevs(void);
STANDIN_API MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR deviceId, LPMIDIINCAPSA caps, UINT size);
STANDIN_API MMRESULT WINAPI midiInOpen(LPHMIDIIN handle, UINT deviceId, DWORD_PTR callback,
                                       DWORD_PTR instance, DWORD flags);
STANDIN_API MMRESULT WINAPI midiInStart(HMIDIIN handle);
STANDIN_API MMRESULT WINAPI midiInStop(HMIDIIN handle);
STANDIN_API MMRESULT WINAPI midiInReset(HMIDIIN handle);
STANDIN_API MMRESULT WINAPI midiInClose(HMIDIIN handle);
STANDIN_API MMRESULT WINAPI midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiInGetErrorTextA(MMRESULT error, LPSTR text, UINT size);

STANDIN_API UINT WINAPI midiOutGetNumDevs(void);
STANDIN_API MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR deviceId, LPMIDIOUTCAPSA caps, UINT size);
STANDIN_API MMRESULT WINAPI midiOutOpen(LPHMIDIOUT handle, UINT deviceId, DWORD_PTR callback,
                                        DWORD_PTR instance, DWORD flags);
STANDIN_API MMRESULT WINAPI midiOutClose(HMIDIOUT handle);
STANDIN_API MMRESULT WINAPI midiOutShortMsg(HMIDIOUT handle, DWORD message);
STANDIN_API MMRESULT WINAPI midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size);
STANDIN_API MMRESULT WINAPI midiOutReset(HMIDIOUT handle);
STANDIN_API MMRESULT WINAPI midiOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size);

#ifdef __cplusplus
}
#endif
