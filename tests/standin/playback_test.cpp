#include "standin/playback.h"

#include <gtest/gtest.h>

using standin::Playback;

TEST(Playback, PlaysToTheLastFrameAndStopsWithoutLoop) {
  Playback p;
  p.load(3);
  p.setLoop(false);
  EXPECT_TRUE(p.playing());
  EXPECT_TRUE(p.tick());
  EXPECT_TRUE(p.tick());
  EXPECT_EQ(p.current(), 2);
  EXPECT_FALSE(p.tick());
  EXPECT_EQ(p.current(), 2);
  EXPECT_FALSE(p.playing());
}

TEST(Playback, WrapsWithLoopAndOneFrameMovieStaysPut) {
  Playback p;
  p.load(2);
  p.setLoop(true);
  p.tick();
  EXPECT_TRUE(p.tick());
  EXPECT_EQ(p.current(), 0);
  EXPECT_TRUE(p.playing());
  Playback one;
  one.load(1);
  EXPECT_FALSE(one.tick());
  EXPECT_EQ(one.current(), 0);
  EXPECT_TRUE(one.playing());
}

TEST(Playback, StepCommandsStandAndClamp) {
  Playback p;
  p.load(5);
  EXPECT_FALSE(p.back());  // already on the first frame
  EXPECT_FALSE(p.playing());
  p.play();
  EXPECT_TRUE(p.forward());
  EXPECT_FALSE(p.playing());
  EXPECT_EQ(p.current(), 1);
  EXPECT_TRUE(p.gotoFrame(99));
  EXPECT_EQ(p.current(), 4);
  EXPECT_FALSE(p.forward());
  EXPECT_TRUE(p.gotoFrame(-3));
  EXPECT_EQ(p.current(), 0);
}

TEST(Playback, RewindKeepsPlayingStateAndStopIsSeparate) {
  Playback p;
  p.load(4);
  p.gotoFrame(3);
  EXPECT_TRUE(p.rewind());
  EXPECT_TRUE(p.playing());
  p.stop();
  EXPECT_FALSE(p.tick());
  EXPECT_EQ(p.current(), 0);
}

TEST(Playback, WithoutMovieNothingMovesOrPlays) {
  Playback p;
  p.play();
  EXPECT_FALSE(p.playing());
  EXPECT_FALSE(p.gotoFrame(2));
  EXPECT_FALSE(p.tick());
  p.load(3);
  p.gotoFrame(2);
  p.unload();
  EXPECT_EQ(p.current(), 0);
  EXPECT_EQ(p.totalFrames(), 0);
}
