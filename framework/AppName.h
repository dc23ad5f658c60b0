// The application's title: caption of every message box and name of the
// backup folder. The application object sets it once at start-up from its
// string resource; until then it is "Tarnwick".
#pragma once

const char* AfxGetAppName();

// nullptr or "" puts the default title back.
void AfxSetAppName(const char* pszName);
