// The production's pictures: every archive member registered at start-up, in one fixed order, and
// the GUID globals the scenes find them by. The order fixes the GUIDs (0 to 99) and must not change;
// a member that is missing or unreadable still takes its GUID, so later GUIDs never shift.
#pragma once

#include <cstdint>

// Registers all 100 pictures through the global archive. Needs InitDevil and dataFile.
void LoadCatalogue();

inline constexpr int kCatalogueSize = 100;

// Kind of conversion a picture gets (see RegisterImage).
enum ImageKind : int32_t { kKeyed = 0, kPlain = 1 };

struct CatalogueEntry {
    const char* member;
    ImageKind kind;
    int32_t* guid;
};
// The registration order.
extern const CatalogueEntry catalogue[kCatalogueSize];

extern int32_t digitSmallGuids[10];               // pelmarov/digit_small_0.png .. digit_small_9.png
extern int32_t headAGuids[3];                     // pelmarov/headA1.png .. headA3.png
extern int32_t headBGuids[3];                     // pelmarov/headB1.png .. headB3.png
extern int32_t creditsGuid;                       // pelmarov/credits.png
extern int32_t zembravaleGuid;                    // pelmarov/zembravale.png
extern int32_t casinoGuid;                        // pelmarov/casino.png
extern int32_t fresqueWeirdGuid;                  // pelmarov/fresque_weird.jpg
extern int32_t fresqueWeirdZoomGuid;              // pelmarov/fresque_weird_zoom.jpg
extern int32_t cervinGuid;                        // sorvanik/cervin.png
extern int32_t cervinglowGuid;                    // sorvanik/cervinglow.jpg
extern int32_t cervinglow2Guid;                   // sorvanik/cervinglow2.jpg
extern int32_t zembramountDarkGuid;               // pelmarov/zembramount_dark.png
extern int32_t zembramountLightGuid;              // pelmarov/zembramount_light.png
extern int32_t zembramountToplessGuid;            // pelmarov/zembramount_topless.png
extern int32_t agentZembrabackGuid;               // pelmarov/agent_zembraback.png
extern int32_t rerevidgersGuid;                   // pelmarov/rerevidgers.png
extern int32_t spriteElephantLogoGuid;            // pelmarov/sprite_elephant_logo.png
extern int32_t ladyRoupiesGuid;                   // pelmarov/lady_roupies.png
extern int32_t vuvizarodazGuid;                   // pelmarov/vuvizarodaz.png
extern int32_t thematterhornGuid;                 // texts/thematterhorn.png
extern int32_t youarewrongsirGuid;                // texts/youarewrongsir.png
extern int32_t proudlypresentGuid;                // texts/proudlypresent.png
extern int32_t thezembramountpicturesGuid;        // texts/thezembramountpictures.png
extern int32_t vuvizarodazEvilplanGuid;           // texts/vuvizarodaz_evilplan.png
extern int32_t vuvizarodazLetTheRerevidGuid;      // texts/vuvizarodaz_let_the_rerevid.png
extern int32_t vostel1Guid;                       // texts/vostel1.png
extern int32_t vostel2Guid;                       // texts/vostel2.png
extern int32_t chain1Guid;                        // sorvanik/chain1.png
extern int32_t bombeGuid;                         // sorvanik/bombe.png
extern int32_t bombesmallGuid;                    // sorvanik/bombesmall.png
extern int32_t cervinexplosionGuid;               // sorvanik/cervinexplosion.jpg
extern int32_t cervinexplosion2Guid;              // sorvanik/cervinexplosion2.jpg
extern int32_t zembrahelpGuid;                    // sorvanik/zembrahelp.png
extern int32_t zembramobileGuid;                  // sorvanik/zembramobile.png
extern int32_t dancerLeftGuid;                    // sorvanik/dancer_left.png
extern int32_t dancerRightGuid;                   // sorvanik/dancer_right.png
extern int32_t b29BigGuid;                        // sorvanik/b29_big.png
extern int32_t phareGuid;                         // sorvanik/phare.png
extern int32_t sacredCowGuid;                     // pelmarov/sacred_cow.png
extern int32_t parachuteGuid;                     // sorvanik/parachute.png
extern int32_t helmetGuid;                        // sorvanik/helmet.png
extern int32_t tajPhareFullscreenCasinoGuid;      // pelmarov/taj_phare_fullscreen_casino.jpg
extern int32_t vostelAloneGuid;                   // pelmarov/vostel_alone.png
extern int32_t spriteDollar01Guid;                // pelmarov/sprite_dollar01.png
extern int32_t spriteDollar02Guid;                // pelmarov/sprite_dollar02.png
extern int32_t spriteDollar03Guid;                // pelmarov/sprite_dollar03.png
extern int32_t spriteDollar04Guid;                // pelmarov/sprite_dollar04.png
extern int32_t spriteDollar05Guid;                // pelmarov/sprite_dollar05.png
extern int32_t casinoviewGuid;                    // pelmarov/casinoview.jpg
extern int32_t casinoMachineASouGuid;             // pelmarov/casino_machine_a_sou.png
extern int32_t theevilmachineGuid;                // pelmarov/theevilmachine.png
extern int32_t pinceAloneGuid;                    // pelmarov/pince_alone.png
extern int32_t zembravaleWorkerGuid;              // pelmarov/zembravale_worker.png
extern int32_t theevilmachineCounterGuid;         // pelmarov/theevilmachine_counter.png
extern int32_t alamoCroonerCowboyGuid;            // pelmarov/alamo_crooner_cowboy.png
extern int32_t alamoCroonerCowboyBackgroundGuid;  // pelmarov/alamo_crooner_cowboy_background.png
extern int32_t explosionZembraboomGuid;           // pelmarov/explosion_zembraboom.png
extern int32_t noswissGuid;                       // texts/noswiss.png
extern int32_t defuse1Guid;                       // texts/defuse1.png
extern int32_t defuse2Guid;                       // texts/defuse2.png
extern int32_t theredGuid;                        // texts/thered.png
extern int32_t thegreenGuid;                      // texts/thegreen.png
extern int32_t snapGuid;                          // texts/snap.png
extern int32_t evilmachineGuid;                   // texts/evilmachine.png
extern int32_t alamoIntroGuid;                    // texts/alamo_intro.png
extern int32_t fuckingwireGuid;                   // texts/fuckingwire.png
extern int32_t digitSmallPointsGuid;              // pelmarov/digit_small_points.png
extern int32_t movie1Guid;                        // pelmarov/movie1.png
extern int32_t movie2Guid;                        // pelmarov/movie2.png
extern int32_t movie3Guid;                        // pelmarov/movie3.png
extern int32_t movie4Guid;                        // pelmarov/movie4.png
extern int32_t movie5Guid;                        // pelmarov/movie5.png
extern int32_t movie6Guid;                        // pelmarov/movie6.png
extern int32_t explosionBackgroundGuid;           // pelmarov/explosion_background.png
extern int32_t fin01Guid;                         // pelmarov/fin01.png
extern int32_t fin02Guid;                         // pelmarov/fin02.png
extern int32_t fin03Guid;                         // pelmarov/fin03.png
extern int32_t fin04Guid;                         // pelmarov/fin04.png
extern int32_t fin05Guid;                         // pelmarov/fin05.png
extern int32_t fin06Guid;                         // pelmarov/fin06.png
extern int32_t fin07Guid;                         // pelmarov/fin07.png
extern int32_t fin08Guid;                         // pelmarov/fin08.png
extern int32_t fin09Guid;                         // pelmarov/fin09.png
extern int32_t fin10Guid;                         // pelmarov/fin10.png
extern int32_t fin11Guid;                         // pelmarov/fin11.png
extern int32_t introWarningGuid;                  // pelmarov/intro_warning.png
extern int32_t anotherNimbrelJointGuid;           // pelmarov/another_nimbrel_joint.png
