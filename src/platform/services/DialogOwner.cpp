#include "platform/services/DialogOwner.h"

#include "platform/services/FileDialogService.h"
#include "platform/services/InputService.h"
#include "platform/services/MessageService.h"
#include "platform/services/Services.h"

DialogOwner::DialogOwner(Services& services, QObject* window)
    : services_(services),
      messages_(services.messages.owner_),
      files_(services.files.owner_),
      input_(services.input.owner_) {
    services_.messages.owner_ = window;
    services_.files.owner_ = window;
    services_.input.owner_ = window;
}

DialogOwner::~DialogOwner() {
    services_.messages.owner_ = messages_;
    services_.files.owner_ = files_;
    services_.input.owner_ = input_;
}
