#!/usr/bin/env bash
# Writes the seeds of the receiver's fuzz target into fuzz/corpus/net_receiver/.
#
#   fuzz/make_net_receiver_seeds.sh
#
# A seed is this machine's byte (0 the host, 1 the first client, 3 the second)
# followed by packets of 18 little-endian 32-bit fields: the command, the
# sending slot, then the command's values.  The objects are those of the
# target's game (fuzz/FuzzNetWorld.h), named by their network references.
# Seeds named repro_* hold a packet that a careful receiver drops; the others
# hold what it must apply.
set -euo pipefail
cd "$(dirname "$0")"
out=corpus/net_receiver
mkdir -p "$out"
rm -f "$out"/*

# ---- Encoding --------------------------------------------------------------------
byte() { printf "\\$(printf %03o "$1")"; }
fields() {
  local value
  for value in "$@"; do
    value=$((value & 0xFFFFFFFF))
    byte $((value & 255)); byte $((value >> 8 & 255)); byte $((value >> 16 & 255)); byte $((value >> 24 & 255))
  done
}
# A packet: command, sender, values; the rest of the 18 fields are 0.
packet() {
  local all=("$@")
  while [ ${#all[@]} -lt 18 ]; do all+=(0); done
  fields "${all[@]}"
}
frame() { packet -1 0; }
unit() { echo $(( ($2 * 16 + $1) * 256 + 255 )); }   # owner, unique id
building() { echo $(( $1 * 65536 + $2 )); }          # corner x, y
seed() { local name=$1 machine=$2; shift 2; { byte "$machine"; "$@"; } > "$out/$name"; }

HOST=0 CLIENT1=1 CLIENT2=3       # this machine
H=0 C1=1 C2=2 COMPUTER=4 EMPTY=5 # senders
HEALTH_26=0x41D00000 KILL=100000 BLADE=1
ANIM_ATTACK=2 ANIM_DIE=4 ANIM_CORPSE=5 TARGET_UNIT=1

# ---- The game's objects ------------------------------------------------------------
h_warrior=$(unit 0 0) h_ship=$(unit 0 1) h_knight=$(unit 0 2) h_king=$(unit 0 3) h_worker=$(unit 0 4)
c1_warrior=$(unit 1 0) c1_miner=$(unit 1 1) c1_ship=$(unit 1 2) c1_sailor=$(unit 1 3) c1_carried_worker=$(unit 1 4)
c2_warrior=$(unit 2 0) c2_ship=$(unit 2 1) c2_sailor=$(unit 2 2) c2_waiting=$(unit 2 3) c2_archer=$(unit 2 4)
d_warrior=$(unit 3 0)
c1_trap=$(building 12 10) c2_barracks=$(building 2 22) c2_tower=$(building 14 14)
c2_fallen_house=$(building 14 22) d_tower=$(building 18 2) computer_house=$(building 10 8)
LAST_ID=0x7FFFF

# ---- What a receiver applies -------------------------------------------------------
seed client_moves_and_hits $CLIENT1 eval '
  packet 30 $H $h_warrior 90; packet 31 $C2 $c2_warrior 0x42480000;
  packet 58 $H $h_warrior 6 5 90 2 0; packet 43 $H $c1_warrior $h_warrior 30 $BLADE;
  packet 34 $C2 $c2_warrior $ANIM_ATTACK $c1_warrior -1 9 5 $TARGET_UNIT 0; packet 32 $C2 $c2_warrior 1'
seed client_unloads_and_exits $CLIENT1 eval '
  packet 71 $H $h_ship $h_knight 20 4; packet 68 $H $c2_barracks $c2_waiting 7 24;
  packet 61 $H $c1_miner 13 7; packet 52 $C2 $c2_tower 6'
seed client_captures_of_the_defeated $CLIENT2 eval '
  packet 74 $H $h_warrior $d_warrior 7; packet 76 $H $h_warrior $d_tower'
# The host's counter wound to its end: the archers of a tower taken next get ids no unit has.
seed capture_after_the_last_id_76 $CLIENT1 eval '
  packet 74 $H $h_warrior $d_warrior $LAST_ID; packet 76 $H $h_warrior $d_tower'
seed host_answers_requests $HOST eval '
  packet 70 $C2 $c2_ship $c2_sailor; packet 57 $C1 $c1_warrior 10 5 90 2; packet 46 $C2 $c2_archer $h_warrior'
seed hit_of_a_dying_shooter_43 $CLIENT1 eval '
  packet 32 $C2 $c2_warrior 0; packet 43 $C2 $c1_warrior $c2_warrior 10 $BLADE'
seed king_dies_in_his_keep_32 $CLIENT1 eval 'packet 32 $H $h_king 0'
# The owner may show the fall just before the death itself.
seed die_animation_then_death_34 $CLIENT1 eval '
  packet 34 $H $h_warrior $ANIM_DIE -1 -1 5 5 0 0; frame; packet 32 $H $h_warrior 0'
seed short_tail $CLIENT1 eval 'packet 30 $H $h_warrior 45; byte 36; byte 0'
# Granted steps: a ship onto blocks it partly holds; steps that wait for a blocker here, a later one behind, and
# one that goes with its dying unit; a step onto the blocks of a house at 0 health that waits for the host's 39.
seed ship_steps_onto_its_own_blocks_58 $CLIENT1 eval 'packet 58 $H $h_ship 22 3 90 2 0; frame'
seed steps_wait_for_their_blocks_58 $CLIENT1 eval '
  packet 58 $H $h_warrior 5 6 0 4 0; packet 58 $H $h_warrior 5 7 0 4 0; frame;
  packet 58 $H $h_worker 4 7 315 5 0; frame; packet 58 $H $c2_warrior 10 8 45 3 0; packet 32 $H $h_worker 0'
seed step_of_a_unit_that_dies_58 $CLIENT2 eval 'packet 58 $H $h_warrior 5 6 0 4 0; packet 32 $H $h_warrior 0; frame'
seed step_onto_a_razed_house_58 $CLIENT2 eval '
  packet 44 $H $computer_house $h_warrior $KILL $BLADE; packet 58 $H $c2_warrior 10 8 45 3 0; frame; frame;
  packet 39 $H $computer_house; frame'
# A computer player's building is the host's to decide: razed there, it goes; elsewhere it waits for the host.
seed computer_house_razed_on_the_host_44 $HOST eval 'packet 44 $C1 $computer_house $c1_warrior $KILL $BLADE'
seed computer_house_waits_for_the_host_39 $CLIENT1 eval '
  packet 44 $H $computer_house $h_warrior $KILL $BLADE; frame; packet 39 $C2 $computer_house; frame;
  packet 39 $H $computer_house'
seed barracks_falls_with_its_waiting_unit_39 $CLIENT1 eval 'packet 39 $C2 $c2_barracks; frame'

# ---- What a receiver drops ---------------------------------------------------------
# Targets and attackers that stand on no block.
seed repro_offmap_target_34 $CLIENT1 eval '
  packet 34 $C2 $c2_warrior $ANIM_ATTACK $c1_sailor -1 9 7 $TARGET_UNIT 0; packet 43 $C2 $c1_ship $c2_warrior $KILL $BLADE'
seed repro_offmap_target_46 $CLIENT1 eval 'packet 46 $C2 $c2_archer $c1_sailor'
seed repro_target_in_the_keep_46 $CLIENT1 eval 'packet 46 $C2 $c2_archer $h_king'
seed repro_waiting_target_34 $CLIENT1 eval 'packet 34 $H $h_warrior $ANIM_ATTACK $c2_waiting -1 5 5 $TARGET_UNIT 0'
seed repro_attacker_aboard_43 $HOST eval 'packet 43 $C1 $h_worker $c1_sailor 55 5'
# Units put where something else holds them or where they cannot stand.
seed repro_worker_aboard_leaves_61 $CLIENT2 eval 'packet 61 $C1 $c1_carried_worker 5 5'
seed repro_worker_leaves_into_water_61 $CLIENT2 eval 'packet 61 $H $c1_miner 28 28'
seed repro_unload_other_ships_cargo_71 $CLIENT1 eval 'packet 71 $H $h_ship $c2_sailor 19 3'
seed repro_unload_tower_archer_71 $CLIENT1 eval 'packet 71 $H $h_ship $c2_archer 19 4'
seed repro_unload_waiting_unit_71 $CLIENT1 eval 'packet 71 $H $h_ship $c2_waiting 19 5'
seed repro_unload_onto_a_unit_71 $CLIENT1 eval 'packet 71 $H $h_ship $h_knight 5 5'
seed repro_host_unloads_tower_archer_70 $HOST eval 'packet 70 $C2 $c2_ship $c2_archer'
seed repro_host_unloads_waiting_unit_70 $HOST eval 'packet 70 $C2 $c2_ship $c2_waiting'
seed repro_step_onto_a_unit_58 $CLIENT1 eval 'packet 58 $H $h_warrior 5 6 0 4 0'
seed repro_step_onto_a_house_58 $CLIENT1 eval 'packet 58 $H $c2_warrior 10 8 45 3 0; frame'
seed repro_step_into_water_58 $CLIENT1 eval 'packet 58 $H $c1_warrior 25 25 0 4 0'
seed repro_exit_onto_a_unit_68 $CLIENT1 eval 'packet 68 $H $c2_barracks $c2_waiting 9 5'
seed repro_exit_into_water_68 $CLIENT1 eval 'packet 68 $H $c2_barracks $c2_waiting 28 28'
# Deaths of units that a ship, a tower, a keep or a building holds.
seed repro_death_aboard_32 $CLIENT1 eval 'packet 32 $C2 $c2_sailor 0'
seed repro_death_in_the_tower_32 $CLIENT1 eval 'packet 32 $C2 $c2_archer 0'
seed repro_death_of_the_waiting_unit_32 $CLIENT1 eval 'packet 32 $C2 $c2_waiting 0'
seed repro_trap_springs_aboard_54 $CLIENT2 eval 'packet 54 $H $c1_trap $c2_sailor'
# Unique ids that a living unit of the new owner holds already.
seed repro_duplicate_id_52 $CLIENT1 eval 'packet 52 $C2 $c2_tower 2'
seed repro_replayed_archer_52 $CLIENT1 eval 'packet 52 $C2 $c2_tower 6; packet 52 $C2 $c2_tower 6'
seed repro_duplicate_id_74 $CLIENT1 eval 'packet 74 $H $h_warrior $d_warrior 0'
seed repro_id_of_the_capturer_only_74 $CLIENT1 eval 'packet 74 $H $h_warrior $d_warrior 3'
# Captures of what no capture can take.
seed repro_capture_own_unit_74 $CLIENT1 eval 'packet 74 $H $h_warrior $c1_warrior 7'
seed repro_capture_client_building_76 $CLIENT1 eval 'packet 76 $H $h_warrior $c2_barracks'
# A building at 0 health: its owner's word that it fell, and a health that would raise it.
seed repro_tower_at_zero_health_39 $CLIENT1 eval '
  packet 44 $H $c2_tower $h_warrior $KILL $BLADE; frame; packet 39 $C2 $c2_tower;
  packet 46 $C2 $c2_archer $c1_warrior; packet 43 $H $c1_warrior $h_warrior $KILL $BLADE'
# A fallen tower's archers while its owner's word is on its way: a target given before or after the fall
# must not outlive its unit.
seed repro_fallen_tower_archer_target_46 $CLIENT1 eval '
  packet 44 $H $c2_tower $h_warrior $KILL $BLADE; frame; packet 46 $C2 $c2_archer $c1_warrior;
  packet 43 $H $c1_warrior $h_warrior $KILL $BLADE'
seed repro_fallen_tower_archer_old_target_46 $CLIENT1 eval '
  packet 46 $C2 $c2_archer $c1_warrior; packet 44 $H $c2_tower $h_warrior $KILL $BLADE; frame;
  packet 43 $H $c1_warrior $h_warrior $KILL $BLADE'
seed repro_tower_raised_from_zero_37 $CLIENT1 eval '
  packet 44 $H $c2_tower $h_warrior $KILL $BLADE; frame; packet 37 $C2 $c2_tower $HEALTH_26'
seed repro_house_raised_from_zero_37 $CLIENT1 eval 'frame; packet 37 $C2 $c2_fallen_house $HEALTH_26'
seed repro_fallen_house_stays_39 $CLIENT1 eval 'frame; packet 39 $C2 $c2_fallen_house; packet 37 $C2 $c2_fallen_house $HEALTH_26'
# A death disguised as an action.
seed repro_corpse_animation_34 $CLIENT1 eval 'packet 34 $H $h_warrior $ANIM_CORPSE -1 -1 5 5 0 0'
# Hits from slots that no machine plays.
seed repro_hit_from_a_computer_slot_43 $CLIENT1 eval 'packet 43 $COMPUTER $c1_warrior -1 $KILL $BLADE'
seed repro_hit_from_an_empty_slot_44 $CLIENT1 eval 'packet 44 $EMPTY $c1_trap -1 $KILL $BLADE'
seed repro_from_this_machines_own_slot_30 $HOST eval 'packet 30 $H $h_warrior 90'
