-- Creates the test session: records noise from the dummy backend onto a stereo track, inserts the
-- plug-in and checks what Ardour sees of it, then saves.
local helpers = dofile(os.getenv("KAVREN_ARDOUR_SCRIPTS") .. "/session_helpers.lua")
local expect = helpers.expect

local record_seconds = 1.5

-- The new track's inputs are connected to the backend's capture ports.
local function record(track)
	track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
	Session:maybe_enable_record(false)
	Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
	ARDOUR.LuaAPI.usleep(math.floor(record_seconds * 1e6))
	Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
	-- The region appears once the butler has finished the capture; wait at most 10 s.
	local playlist = track:playlist()
	for _ = 1, 500 do
		if playlist:region_list():size() > 0 then break end
		ARDOUR.LuaAPI.usleep(20000)
	end
	track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
	expect(playlist:region_list():size() == 1, "the recording made one region")
	for region in playlist:region_list():iter() do
		expect(region:length():samples() >= 48000, "the region holds %d samples", region:length():samples())
	end
end

local function build()
	local tracks = Session:new_audio_track(2, 2, nil, 1, helpers.track_name, ARDOUR.PresentationInfo.max_order,
		ARDOUR.TrackMode.Normal, true)
	expect(tracks:size() == 1, "one stereo audio track added")
	local track = Session:route_by_name(helpers.track_name):to_track()
	record(track)

	local processor = ARDOUR.LuaAPI.new_plugin(Session, helpers.plugin_name, helpers.plugin_type, "")
	expect(not processor:isnil(), "Ardour knows '%s'", helpers.plugin_name)
	expect(track:add_processor_by_index(processor, 0, nil, true) == 0, "the plug-in is inserted on the track")
	helpers.find_checked_plugin(track)
end

helpers.use_dummy_backend("Uniform White Noise")
expect(create_session(helpers.setting("KAVREN_SESSION_DIR"), helpers.setting("KAVREN_SESSION_NAME"), 48000) ~= nil,
	"session created")
build()
helpers.save_and_close()
print("PASS: session created")
quit()
