// The settings dialog's procedure: shows the option flags in their check
// boxes and stores them when the user confirms with OK.
#include "settings/settings_dialog.h"

#include "plugin/vis.h"
#include "settings/settings.h"

static void initSettingsDialog(HWND dialog) {
  HWND spectrumSpeed = GetDlgItem(dialog, IDC_SPECTRUM_SPEED);
  HWND sides = GetDlgItem(dialog, IDC_SIDES);
  HWND platformSpeed = GetDlgItem(dialog, IDC_PLATFORM_SPEED);
  int i;

  // The file may have changed since the display was started.
  loadSettings(&pluginModule);

  // The bars only show their starting values; nothing reads them back.
  SetScrollRange(spectrumSpeed, SB_CTL, 1, 25, 0);
  SetScrollPos(spectrumSpeed, SB_CTL, 10, 0);
  SetScrollRange(sides, SB_CTL, 3, 75, 0);
  SetScrollPos(sides, SB_CTL, 12, 0);
  SetScrollRange(platformSpeed, SB_CTL, 1, 25, 0);
  SetScrollPos(platformSpeed, SB_CTL, 10, 0);

  for (i = 0; i < SETTINGS_COUNT; i++) {
    if (*settingsOptions[i].flag == 1) CheckDlgButton(dialog, settingsOptions[i].boxId, 1);
  }
}

static void storeSettingsDialog(HWND dialog) {
  int i;

  // The disabled boxes are read too, so their flags go back unchanged.
  for (i = 0; i < SETTINGS_COUNT; i++) {
    *settingsOptions[i].flag = IsDlgButtonChecked(dialog, settingsOptions[i].boxId) ? 1 : 0;
  }
  saveSettings(&pluginModule);
}

static void scrollSettingsBar(HWND dialog, HWND bar, int request, int thumb) {
  int position = GetScrollPos(bar, SB_CTL);
  char text[16];

  switch (request) {
    case SB_LINELEFT:
      SetScrollPos(bar, SB_CTL, position - 1, 1);
      break;
    case SB_LINERIGHT:
      SetScrollPos(bar, SB_CTL, position + 1, 1);
      break;
    case SB_PAGELEFT:
      SetScrollPos(bar, SB_CTL, position - 4, 1);
      break;
    case SB_PAGERIGHT:
      SetScrollPos(bar, SB_CTL, position + 4, 1);
      break;
    case SB_THUMBTRACK:
      SetScrollPos(bar, SB_CTL, thumb, 1);
      break;
    default:
      break;
  }

  if (bar == GetDlgItem(dialog, IDC_SIDES)) {
    wsprintfA(text, "%i", GetScrollPos(bar, SB_CTL));
    SetDlgItemTextA(dialog, IDC_SIDES_VALUE, text);
  }
}

INT_PTR CALLBACK settingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      initSettingsDialog(dialog);
      return 0;  // leave the keyboard focus alone

    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          storeSettingsDialog(dialog);
          EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          EndDialog(dialog, 1);
          return 0;
        default:
          return 0;
      }

    case WM_HSCROLL:
      scrollSettingsBar(dialog, (HWND)lParam, LOWORD(wParam), (short)HIWORD(wParam));
      return 0;

    default:
      return 0;
  }
}
