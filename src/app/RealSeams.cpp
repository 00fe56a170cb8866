#include "app/RealSeams.h"

#include "records/RandomSource.h"
#include "ui/AppContext.h"
#include "update/UpdateService.h"

void WireRealSeams(AppContext& context, const QStringList& arguments) {
    context.randomSource = &SystemRandomSource::create;
    context.updateService = [arguments] { return UpdateService::configured(arguments); };
}
