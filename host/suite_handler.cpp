#include "host/suite_handler.h"

#include "host/ae_effect.h"

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite* basic_suite) : basic_suite_(basic_suite), slots_()
{
    if (!basic_suite_) {
        MissingSuiteError();
    }
}

AEGP_SuiteHandler::~AEGP_SuiteHandler()
{
    ReleaseAllSuites();
}

const void* AEGP_SuiteHandler::Slot(size_t index)
{
    if (!slots_[index]) {
        slots_[index] = FetchSuite(kSuitePairs[index].name, kSuitePairs[index].version);
    }
    return slots_[index];
}

const void* AEGP_SuiteHandler::FetchSuite(const char* name, int32_t version)
{
    const void* suite = nullptr;
    SPErr err = basic_suite_->AcquireSuite(name, version, &suite);
    // A host may report success and still hand out nothing; either way the
    // call cannot go on.
    if (err != kSPNoError || !suite) {
        MissingSuiteError();
    }
    return suite;
}

void AEGP_SuiteHandler::ReleaseSuite(const char* name, int32_t version)
{
    basic_suite_->ReleaseSuite(name, version);
}

void AEGP_SuiteHandler::ReleaseAllSuites()
{
    for (size_t i = 0; i < kSlotCount; ++i) {
        if (slots_[i]) {
            ReleaseSuite(kSuitePairs[i].name, kSuitePairs[i].version);
        }
    }
}

void AEGP_SuiteHandler::MissingSuiteError() const
{
    throw static_cast<int32_t>(PF_Err_BAD_CALLBACK_PARAM);
}
