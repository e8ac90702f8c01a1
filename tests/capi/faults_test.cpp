// The C library's guard: an allocation that fails inside a call, or a fault
// of the library itself, comes back as a status, never as an exception
// into the C caller, and the library answers the next call as before.
#include <gtest/gtest.h>

#include "core/session/faults.h"
#include "vaveze.h"

namespace {

const char* const kPlan = VAVEZE_SAMPLES_DIR "/plan.zvw";

TEST(CapiFaultsTest, AFaultInsideACallIsItsStatusAndTheNextCallWorks)
{
    vaveze_document* document = nullptr;
    ASSERT_EQ(vaveze_open_file(kPlan, &document), VAVEZE_OK);
    const struct {
        vaveze::FaultKind Kind;
        int Status;
    } faults[] = {{vaveze::FaultKind::OutOfMemory, VAVEZE_ERROR_MEMORY},
                  {vaveze::FaultKind::Internal, VAVEZE_ERROR_INTERNAL}};
    for (const auto& fault : faults) {
        // Opening a file, and listing a document opened before.
        vaveze::ArmFault(fault.Kind);
        vaveze_listing* listing = nullptr;
        EXPECT_EQ(vaveze_list_file(kPlan, 0, &listing), fault.Status);
        EXPECT_EQ(listing, nullptr);
        vaveze::ArmFault(fault.Kind);
        EXPECT_EQ(vaveze_document_list(document, VAVEZE_BLOCKS, &listing), fault.Status);
        EXPECT_EQ(listing, nullptr);
        EXPECT_EQ(vaveze_list_file(kPlan, 0, &listing), VAVEZE_OK);
        EXPECT_GT(vaveze_listing_count(listing), 0u);
        vaveze_free(listing);
    }
    vaveze::DisarmFault();
    vaveze_document_free(document);
}

}  // namespace
