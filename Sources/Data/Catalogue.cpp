// The picture catalogue: registration order, conversion kinds and GUID globals.
#include "Data/Catalogue.h"

#include "Data/Images.h"

int32_t digitSmallGuids[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t headAGuids[3] = {-1, -1, -1};
int32_t headBGuids[3] = {-1, -1, -1};
int32_t creditsGuid = -1;
int32_t zembravaleGuid = -1;
int32_t casinoGuid = -1;
int32_t fresqueWeirdGuid = -1;
int32_t fresqueWeirdZoomGuid = -1;
int32_t cervinGuid = -1;
int32_t cervinglowGuid = -1;
int32_t cervinglow2Guid = -1;
int32_t zembramountDarkGuid = -1;
int32_t zembramountLightGuid = -1;
int32_t zembramountToplessGuid = -1;
int32_t agentZembrabackGuid = -1;
int32_t rerevidgersGuid = -1;
int32_t spriteElephantLogoGuid = -1;
int32_t ladyRoupiesGuid = -1;
int32_t vuvizarodazGuid = -1;
int32_t thematterhornGuid = -1;
int32_t youarewrongsirGuid = -1;
int32_t proudlypresentGuid = -1;
int32_t thezembramountpicturesGuid = -1;
int32_t vuvizarodazEvilplanGuid = -1;
int32_t vuvizarodazLetTheRerevidGuid = -1;
int32_t vostel1Guid = -1;
int32_t vostel2Guid = -1;
int32_t chain1Guid = -1;
int32_t bombeGuid = -1;
int32_t bombesmallGuid = -1;
int32_t cervinexplosionGuid = -1;
int32_t cervinexplosion2Guid = -1;
int32_t zembrahelpGuid = -1;
int32_t zembramobileGuid = -1;
int32_t dancerLeftGuid = -1;
int32_t dancerRightGuid = -1;
int32_t b29BigGuid = -1;
int32_t phareGuid = -1;
int32_t sacredCowGuid = -1;
int32_t parachuteGuid = -1;
int32_t helmetGuid = -1;
int32_t tajPhareFullscreenCasinoGuid = -1;
int32_t vostelAloneGuid = -1;
int32_t spriteDollar01Guid = -1;
int32_t spriteDollar02Guid = -1;
int32_t spriteDollar03Guid = -1;
int32_t spriteDollar04Guid = -1;
int32_t spriteDollar05Guid = -1;
int32_t casinoviewGuid = -1;
int32_t casinoMachineASouGuid = -1;
int32_t theevilmachineGuid = -1;
int32_t pinceAloneGuid = -1;
int32_t zembravaleWorkerGuid = -1;
int32_t theevilmachineCounterGuid = -1;
int32_t alamoCroonerCowboyGuid = -1;
int32_t alamoCroonerCowboyBackgroundGuid = -1;
int32_t explosionZembraboomGuid = -1;
int32_t noswissGuid = -1;
int32_t defuse1Guid = -1;
int32_t defuse2Guid = -1;
int32_t theredGuid = -1;
int32_t thegreenGuid = -1;
int32_t snapGuid = -1;
int32_t evilmachineGuid = -1;
int32_t alamoIntroGuid = -1;
int32_t fuckingwireGuid = -1;
int32_t digitSmallPointsGuid = -1;
int32_t movie1Guid = -1;
int32_t movie2Guid = -1;
int32_t movie3Guid = -1;
int32_t movie4Guid = -1;
int32_t movie5Guid = -1;
int32_t movie6Guid = -1;
int32_t explosionBackgroundGuid = -1;
int32_t fin01Guid = -1;
int32_t fin02Guid = -1;
int32_t fin03Guid = -1;
int32_t fin04Guid = -1;
int32_t fin05Guid = -1;
int32_t fin06Guid = -1;
int32_t fin07Guid = -1;
int32_t fin08Guid = -1;
int32_t fin09Guid = -1;
int32_t fin10Guid = -1;
int32_t fin11Guid = -1;
int32_t introWarningGuid = -1;
int32_t anotherNimbrelJointGuid = -1;

const CatalogueEntry catalogue[kCatalogueSize] = {
    {"pelmarov/credits.png", kPlain, &creditsGuid},
    {"pelmarov/zembravale.png", kKeyed, &zembravaleGuid},
    {"pelmarov/casino.png", kKeyed, &casinoGuid},
    {"pelmarov/fresque_weird.jpg", kPlain, &fresqueWeirdGuid},
    {"pelmarov/fresque_weird_zoom.jpg", kPlain, &fresqueWeirdZoomGuid},
    {"sorvanik/cervin.png", kKeyed, &cervinGuid},
    {"sorvanik/cervinglow.jpg", kKeyed, &cervinglowGuid},
    {"sorvanik/cervinglow2.jpg", kKeyed, &cervinglow2Guid},
    {"pelmarov/zembramount_dark.png", kKeyed, &zembramountDarkGuid},
    {"pelmarov/zembramount_light.png", kKeyed, &zembramountLightGuid},
    {"pelmarov/zembramount_topless.png", kKeyed, &zembramountToplessGuid},
    {"pelmarov/agent_zembraback.png", kKeyed, &agentZembrabackGuid},
    {"pelmarov/rerevidgers.png", kKeyed, &rerevidgersGuid},
    {"pelmarov/sprite_elephant_logo.png", kKeyed, &spriteElephantLogoGuid},
    {"pelmarov/lady_roupies.png", kKeyed, &ladyRoupiesGuid},
    {"pelmarov/vuvizarodaz.png", kKeyed, &vuvizarodazGuid},
    {"texts/thematterhorn.png", kKeyed, &thematterhornGuid},
    {"texts/youarewrongsir.png", kKeyed, &youarewrongsirGuid},
    {"texts/proudlypresent.png", kKeyed, &proudlypresentGuid},
    {"texts/thezembramountpictures.png", kKeyed, &thezembramountpicturesGuid},
    {"texts/vuvizarodaz_evilplan.png", kKeyed, &vuvizarodazEvilplanGuid},
    {"texts/vuvizarodaz_let_the_rerevid.png", kKeyed, &vuvizarodazLetTheRerevidGuid},
    {"texts/vostel1.png", kKeyed, &vostel1Guid},
    {"texts/vostel2.png", kKeyed, &vostel2Guid},
    {"sorvanik/chain1.png", kKeyed, &chain1Guid},
    {"sorvanik/bombe.png", kKeyed, &bombeGuid},
    {"sorvanik/bombesmall.png", kKeyed, &bombesmallGuid},
    {"sorvanik/cervinexplosion.jpg", kPlain, &cervinexplosionGuid},
    {"sorvanik/cervinexplosion2.jpg", kPlain, &cervinexplosion2Guid},
    {"sorvanik/zembrahelp.png", kKeyed, &zembrahelpGuid},
    {"sorvanik/zembramobile.png", kKeyed, &zembramobileGuid},
    {"sorvanik/dancer_left.png", kKeyed, &dancerLeftGuid},
    {"sorvanik/dancer_right.png", kKeyed, &dancerRightGuid},
    {"sorvanik/b29_big.png", kKeyed, &b29BigGuid},
    {"sorvanik/phare.png", kPlain, &phareGuid},
    {"pelmarov/sacred_cow.png", kKeyed, &sacredCowGuid},
    {"sorvanik/parachute.png", kKeyed, &parachuteGuid},
    {"sorvanik/helmet.png", kKeyed, &helmetGuid},
    {"pelmarov/taj_phare_fullscreen_casino.jpg", kPlain, &tajPhareFullscreenCasinoGuid},
    {"pelmarov/vostel_alone.png", kKeyed, &vostelAloneGuid},
    {"pelmarov/sprite_dollar01.png", kKeyed, &spriteDollar01Guid},
    {"pelmarov/sprite_dollar02.png", kKeyed, &spriteDollar02Guid},
    {"pelmarov/sprite_dollar03.png", kKeyed, &spriteDollar03Guid},
    {"pelmarov/sprite_dollar04.png", kKeyed, &spriteDollar04Guid},
    {"pelmarov/sprite_dollar05.png", kKeyed, &spriteDollar05Guid},
    {"pelmarov/casinoview.jpg", kPlain, &casinoviewGuid},
    {"pelmarov/casino_machine_a_sou.png", kKeyed, &casinoMachineASouGuid},
    {"pelmarov/theevilmachine.png", kKeyed, &theevilmachineGuid},
    {"pelmarov/pince_alone.png", kKeyed, &pinceAloneGuid},
    {"pelmarov/zembravale_worker.png", kKeyed, &zembravaleWorkerGuid},
    {"pelmarov/theevilmachine_counter.png", kPlain, &theevilmachineCounterGuid},
    {"pelmarov/alamo_crooner_cowboy.png", kKeyed, &alamoCroonerCowboyGuid},
    {"pelmarov/alamo_crooner_cowboy_background.png", kPlain, &alamoCroonerCowboyBackgroundGuid},
    {"pelmarov/explosion_zembraboom.png", kKeyed, &explosionZembraboomGuid},
    {"texts/noswiss.png", kKeyed, &noswissGuid},
    {"texts/defuse1.png", kKeyed, &defuse1Guid},
    {"texts/defuse2.png", kKeyed, &defuse2Guid},
    {"texts/thered.png", kKeyed, &theredGuid},
    {"texts/thegreen.png", kKeyed, &thegreenGuid},
    {"texts/snap.png", kKeyed, &snapGuid},
    {"texts/evilmachine.png", kKeyed, &evilmachineGuid},
    {"texts/alamo_intro.png", kKeyed, &alamoIntroGuid},
    {"texts/fuckingwire.png", kKeyed, &fuckingwireGuid},
    {"pelmarov/digit_small_0.png", kKeyed, &digitSmallGuids[0]},
    {"pelmarov/digit_small_1.png", kKeyed, &digitSmallGuids[1]},
    {"pelmarov/digit_small_2.png", kKeyed, &digitSmallGuids[2]},
    {"pelmarov/digit_small_3.png", kKeyed, &digitSmallGuids[3]},
    {"pelmarov/digit_small_4.png", kKeyed, &digitSmallGuids[4]},
    {"pelmarov/digit_small_5.png", kKeyed, &digitSmallGuids[5]},
    {"pelmarov/digit_small_6.png", kKeyed, &digitSmallGuids[6]},
    {"pelmarov/digit_small_7.png", kKeyed, &digitSmallGuids[7]},
    {"pelmarov/digit_small_8.png", kKeyed, &digitSmallGuids[8]},
    {"pelmarov/digit_small_9.png", kKeyed, &digitSmallGuids[9]},
    {"pelmarov/digit_small_points.png", kKeyed, &digitSmallPointsGuid},
    {"pelmarov/movie1.png", kPlain, &movie1Guid},
    {"pelmarov/movie2.png", kPlain, &movie2Guid},
    {"pelmarov/movie3.png", kPlain, &movie3Guid},
    {"pelmarov/movie4.png", kPlain, &movie4Guid},
    {"pelmarov/movie5.png", kPlain, &movie5Guid},
    {"pelmarov/movie6.png", kPlain, &movie6Guid},
    {"pelmarov/explosion_background.png", kPlain, &explosionBackgroundGuid},
    {"pelmarov/headA1.png", kKeyed, &headAGuids[0]},
    {"pelmarov/headA2.png", kKeyed, &headAGuids[1]},
    {"pelmarov/headA3.png", kKeyed, &headAGuids[2]},
    {"pelmarov/headB1.png", kKeyed, &headBGuids[0]},
    {"pelmarov/headB2.png", kKeyed, &headBGuids[1]},
    {"pelmarov/headB3.png", kKeyed, &headBGuids[2]},
    {"pelmarov/fin01.png", kPlain, &fin01Guid},
    {"pelmarov/fin02.png", kPlain, &fin02Guid},
    {"pelmarov/fin03.png", kPlain, &fin03Guid},
    {"pelmarov/fin04.png", kPlain, &fin04Guid},
    {"pelmarov/fin05.png", kPlain, &fin05Guid},
    {"pelmarov/fin06.png", kPlain, &fin06Guid},
    {"pelmarov/fin07.png", kPlain, &fin07Guid},
    {"pelmarov/fin08.png", kPlain, &fin08Guid},
    {"pelmarov/fin09.png", kPlain, &fin09Guid},
    {"pelmarov/fin10.png", kPlain, &fin10Guid},
    {"pelmarov/fin11.png", kPlain, &fin11Guid},
    {"pelmarov/intro_warning.png", kPlain, &introWarningGuid},
    {"pelmarov/another_nimbrel_joint.png", kPlain, &anotherNimbrelJointGuid},
};

void LoadCatalogue() {
    for (const CatalogueEntry& entry : catalogue) {
        *entry.guid = RegisterImage(entry.member, entry.kind, false);
    }
}
