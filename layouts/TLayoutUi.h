#pragma once

class KString;

// What saving and loading a layout ask of the desktop: a file name for a
// save and a busy cursor meanwhile. The desktop program implements it.
class TLayoutUi {
  public:
    virtual ~TLayoutUi() = default;
    // Lets the user choose the path of a layout file, starting at path;
    // false when the user cancels.
    virtual bool AskSavePath(KString& path) = 0;
    virtual void SetBusy(bool on) = 0;
};
