// The headless host never undoes, so its documents keep no undo history: a
// scene's edits go through the tag's messages, and each would add a step.
#include <gtest/gtest.h>

#include "host_services.h"
#include "loaded_pulsor.h"
#include "scene.h"

namespace
{

TEST(SceneUndo, AScenesEditsLeaveNoUndoHistory)
{
	ASSERT_TRUE(LoadPulsorModule());
	// Links, added tabs and set entries: every kind of edit the reader makes.
	Scene scene = LoadScene(PULSOR_SOURCE_DIR "/scenes/demo.json");
	ASSERT_NE(scene.doc, nullptr);
	ASSERT_EQ(PulsorTags(scene.doc.get()).size(), 2u);
	EXPECT_EQ(scene.doc->GetUndoCount(), 0);
	EXPECT_EQ(scene.doc->GetRedoCount(), 0);
	HostSetActiveDocument(nullptr);
}

} // namespace
