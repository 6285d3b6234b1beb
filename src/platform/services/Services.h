#pragma once

class MessageService;
class FileDialogService;
class InputService;
class SettingsStore;
struct AppState;

// What windows are handed instead of reaching for globals.
struct Services {
    MessageService& messages;
    FileDialogService& files;
    InputService& input;
    SettingsStore& settings;
    AppState& state;
};
