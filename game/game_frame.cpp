// game_frame.cpp - the frame's rule steps around the drawing: clock,
// steering, pull-back, roll and bank, the random seeds the drawing shares,
// the end-of-course cue, level start and the restart rules.
#include "game/game_rules.h"

#include <cmath>

#include "game/game_random.h"
#include "game/level_layout.h"

GameControls controlsFromFrameInputs(const FrameInputs& inputs, int windowWidth, int windowHeight)
{
    // The mouse is tuned for a 1280-pixel window; the ratio must stay a
    // fraction, or every smaller window would divide by zero.
    double scaleX = windowWidth > 0 ? windowWidth / 1280.0 : 1.0;
    double scaleY = windowHeight > 0 ? windowHeight / 1280.0 : 1.0;
    GameControls c;
    c.mouseX = inputs.mouseX / scaleX;
    c.mouseY = inputs.mouseY / scaleY;
    c.leftButton = inputs.leftButton != 0;
    c.rightButton = inputs.rightButton != 0;
    return c;
}

void GameRules::buildLevel()
{
    sound.rewindMusic();
    entities.records.clear();
    musicCueDone = false;
    levelSeed = crtState();
    appendLevelLayout(entities);
    life = 1.0;
    fireLatch = false;
    prevLane = 0.0;
    bank = 0.0;
    roll = 0.0;
    time = 0.0;
    lane = 0.0;
}

double GameRules::beginFrame(double frameDelta, const GameControls& frameControls)
{
    controls = frameControls;

    // Clock: the game runs 1.1 times faster than the frame clock.
    rawDelta = frameDelta;
    double gameDelta = GAME_SPEED * rawDelta;
    time += gameDelta;
    if (controls.rightButton)
        life = 1.0;
    frameCount += 1;
    lastTime = time;

    // Steering: the left half of the screen is lane 0.
    lane = clampd(0.1 * controls.mouseX, 0.0, 1.0);
    double a = laneAngle(lane);
    playerMarker = Vec3{VEC_PLAIN, float(COURSE_RADIUS * std::cos(a)), float(COURSE_RADIUS * std::sin(a)), 0.0f};

    cameraZ = COURSE_SPEED * time;
    courseZ = cameraZ;
    swing = ease(clampd(0.3 * (time - 170.0), 0.0, 1.0) - clampd(0.3 * (time - 180.0), 0.0, 1.0), 1.0);

    // Pull-back: moving the mouse down holds the craft back by up to 20 units.
    courseZ = cameraZ - clampd(2.0 * controls.mouseY, 0.0, 20.0);
    playerMarker.z = float(courseZ);

    // Roll from steering, dying away at one unit per second; bank follows it.
    roll += std::sin((lane - prevLane) * GAME_PI);
    if (roll < 0.0)
        roll = std::min(roll + rawDelta, 0.0);
    else if (roll > 0.0)
        roll = std::max(roll - rawDelta, 0.0);
    bank += (roll - bank) * 0.5 * rawDelta;
    return gameDelta;
}

void GameRules::playEndCueIfDue()
{
    if (time > END_CUE_TIME && !musicCueDone) {
        sound.play(CUE_END_OF_COURSE);
        musicCueDone = true;
    }
}

Vec3 GameRules::skyDirection()
{
    crtSeed(SKY_SEED);
    return randomDirection();
}

void GameRules::seedScenery()
{
    crtSeed(SCENERY_SEED);
    for (int i = 0; i < SCENERY_WARMUP_DRAWS; ++i)
        crtRand();
}

Vec3 GameRules::glowDirection()
{
    crtSeed(GLOW_SEED);
    return randomDirection();
}

void GameRules::updateWorld()
{
    fireVolleys();
    updateEntities();
    fireEnemies();
    applyHits();
}

void GameRules::endFrame()
{
    // Lost life is tested first, so dying in the last frame still clears the score.
    if (life < RESTART_LIFE) {
        ++levelsLost;
        life = 1.0;
        buildLevel();
        time = 0.0;
        score = 0.0;
    }
    if (time > LEVEL_END_TIME) {
        ++levelsCompleted;
        score += COMPLETION_BONUS;
        life = 1.0;
        buildLevel();
        time = 0.0;
    }
    prevLane = lane;
}

double GameRules::step(double frameDelta, const GameControls& frameControls)
{
    double gameDelta = beginFrame(frameDelta, frameControls);
    playEndCueIfDue();
    skyDirection();
    updateWorld();
    seedScenery();
    glowDirection();
    endFrame();
    return gameDelta;
}
