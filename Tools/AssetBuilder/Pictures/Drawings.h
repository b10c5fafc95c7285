// One drawing function per picture of the archive: each fills a canvas already made at its
// picture's size (from the manifest) and leaves the encoding to the manifest's row. Grouped by the
// file that draws them. Declared on the canvas alone, so the manifest can be read without cairo.
#pragma once

namespace assets {
class Canvas;  // PictureKit.h
}  // namespace assets

namespace assets::scene {

// ScenesMountain.cpp: the mountain story.
void TitleOverlay(Canvas& canvas);
void Fresco(Canvas& canvas);
void ZoomedFresco(Canvas& canvas);
void SoftGlowMap(Canvas& canvas);
void StrongGlowMap(Canvas& canvas);
void DarkMountain(Canvas& canvas);
void LitMountain(Canvas& canvas);
void ToplessMountain(Canvas& canvas);
void Agent(Canvas& canvas);
void Villains(Canvas& canvas);
void Villain(Canvas& canvas);
void BlastMap(Canvas& canvas);
void SecondBlastMap(Canvas& canvas);
void HelpInTheSky(Canvas& canvas);
void DivingCar(Canvas& canvas);
void LeftDancer(Canvas& canvas);
void RightDancer(Canvas& canvas);

// ScenesCasino.cpp: casino, lighthouse, machines, western set, explosion.
void CasinoSign(Canvas& canvas);
void Lady(Canvas& canvas);
void Beam(Canvas& canvas);
void TajPhare(Canvas& canvas);
void Walker(Canvas& canvas);
void CasinoView(Canvas& canvas);
void OneSlotMachine(Canvas& canvas);
void EvilMachine(Canvas& canvas);
void Pliers(Canvas& canvas);
void Worker(Canvas& canvas);
void Crooner(Canvas& canvas);
void WesternSet(Canvas& canvas);
void BoomLettering(Canvas& canvas);
void ExplosionBackground(Canvas& canvas);

// ScenesStills.cpp: credits, movie stills, closing pictures.
void Credits(Canvas& canvas);
void MovieRooftop(Canvas& canvas);
void MovieMountainRoad(Canvas& canvas);
void MovieDuel(Canvas& canvas);
void MovieRocket(Canvas& canvas);
void MovieUnderwater(Canvas& canvas);
void MovieNoir(Canvas& canvas);
void FinDawn(Canvas& canvas);
void FinRoad(Canvas& canvas);
void FinJail(Canvas& canvas);
void FinNewspaper(Canvas& canvas);
void FinBeach(Canvas& canvas);
void FinRoulette(Canvas& canvas);
void FinMeadow(Canvas& canvas);
void FinSnapshot(Canvas& canvas);
void FinClapper(Canvas& canvas);

}  // namespace assets::scene

namespace assets {

// TextPictures.cpp: captions and cards.
void TheMatterhorn(Canvas& canvas);
void YouAreWrongSir(Canvas& canvas);
void ProudlyPresent(Canvas& canvas);
void ZembramountPictures(Canvas& canvas);
void EvilPlan(Canvas& canvas);
void LetTheRerevidgers(Canvas& canvas);
void AgentVostel(Canvas& canvas);
void LicensedToGamble(Canvas& canvas);
void NoSwiss(Canvas& canvas);
void DefuseIt(Canvas& canvas);
void CutAWire(Canvas& canvas);
void TheRedOne(Canvas& canvas);
void TheGreenOne(Canvas& canvas);
void Snap(Canvas& canvas);
void TheEvilMachine(Canvas& canvas);
void WesternCard(Canvas& canvas);
void WhichWire(Canvas& canvas);
void SmallLine(Canvas& canvas);
void EndCard(Canvas& canvas);
void WarningCard(Canvas& canvas);
void GroupCard(Canvas& canvas);

// CounterPictures.cpp: the counter's close-up, its digits and colon.
void DrawCounterCloseUp(Canvas& canvas);
void DrawDigit(Canvas& canvas, int digit);  // 0 to 9
void DrawColon(Canvas& canvas);

// SpritePictures.cpp: the small sprites and the flying heads.
void DrawSmallMountain(Canvas& canvas);
void DrawElephant(Canvas& canvas);
void DrawChain(Canvas& canvas);
void DrawBigBomb(Canvas& canvas);
void DrawSmallBomb(Canvas& canvas);
void DrawBomber(Canvas& canvas);
void DrawCow(Canvas& canvas);
void DrawParachute(Canvas& canvas);
void DrawHelmet(Canvas& canvas);
void DrawBanknote(Canvas& canvas);
void DrawCoin(Canvas& canvas);
void DrawDollarSign(Canvas& canvas);
void DrawMoneyBag(Canvas& canvas);
void DrawCoinStack(Canvas& canvas);
void DrawCalmHeadA(Canvas& canvas);
void DrawShoutingHeadA(Canvas& canvas);
void DrawSingedHeadA(Canvas& canvas);
void DrawCalmHeadB(Canvas& canvas);
void DrawShoutingHeadB(Canvas& canvas);
void DrawSingedHeadB(Canvas& canvas);

}  // namespace assets
