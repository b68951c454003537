-- Shared by the session scripts that ardour7-lua runs: settings from the environment, checks that
-- stop the script with an error (ardour7-lua then exits with status 1), and the steps they share.
--
-- Each script keeps its Ardour objects in locals of a function and closes the session only after
-- that function returned: Lua must let go of tracks and processors before the session is deleted,
-- or their destructors run on freed memory when the interpreter shuts down.
local helpers = {}

helpers.plugin_name = "QMX Kavren XL"
helpers.track_name = "Kavren"
helpers.latency = 221
-- Ardour lists a VST 2.4 plug-in's parameters by host index, named from their parameter properties, with
-- normalised values. Of an LV2 plug-in it lists every port (the parameter ports from 4), named by the
-- ports, with the ports' values (the gains in dB); the control numbering of get/set_processor_param is the
-- host index in both.
helpers.lv2 = os.getenv("KAVREN_PLUGIN_FORMAT") == "lv2"
if helpers.lv2 then
	helpers.plugin_type = ARDOUR.PluginType.LV2
	helpers.parameter_count = 55
	helpers.parameter_names = { [4] = "Input Gain", [5] = "LowPass.Freq.", [9] = "HighPass.Freq." }
	helpers.lowpass_top = 22050
	helpers.input_gain = { default = 0.0, changed = 20 * math.log(0.5, 10) }
else
	helpers.plugin_type = ARDOUR.PluginType.LXVST
	helpers.parameter_count = 48
	helpers.parameter_names = { [0] = "Input Gain", [1] = "LowPass Frequency", [5] = "HighPass Frequency" }
	helpers.lowpass_top = 1.0
	-- 0.25 normalised is a linear gain of 0.5, as are the -6.02 dB of the LV2 port.
	helpers.input_gain = { default = 0.5, changed = 0.25 }
end

function helpers.setting(name)
	local value = os.getenv(name)
	if value == nil or value == "" then
		error("environment variable " .. name .. " is not set")
	end
	return value
end

function helpers.expect(condition, message, ...)
	if not condition then
		error(string.format(message, ...), 2)
	end
	print("ok: " .. string.format(message, ...))
end
local expect = helpers.expect

function helpers.use_dummy_backend(device)
	local backend = AudioEngine:set_backend("None (Dummy)", "", "")
	expect(backend ~= nil and not backend:isnil(), "the dummy audio backend is available")
	if device then
		expect(backend:set_device_name(device) == 0, "the dummy backend generates '%s'", device)
	end
end

function helpers.open_session()
	helpers.use_dummy_backend(nil)
	expect(load_session(helpers.setting("KAVREN_SESSION_DIR"), helpers.setting("KAVREN_SESSION_NAME")) ~= nil,
		"the saved session loads")
end

function helpers.close()
	collectgarbage()
	close_session()
end

function helpers.save_and_close()
	expect(Session:save_state("", false, false, false, false, false) == 0, "the session is saved")
	helpers.close()
end

function helpers.track()
	local route = Session:route_by_name(helpers.track_name)
	expect(not route:isnil(), "the session has track '%s'", helpers.track_name)
	return route:to_track()
end

function helpers.parameter(processor, index)
	return ARDOUR.LuaAPI.get_processor_param(processor, index, true)
end

-- The insert of our plug-in on the route, or nil. Processors Ardour could not load are not plug-ins.
local function find_plugin(route)
	local index = 0
	while true do
		local processor = route:nth_plugin(index)
		if processor:isnil() then
			return nil
		end
		if processor:to_plugininsert():plugin(0):name() == helpers.plugin_name then
			return processor
		end
		index = index + 1
	end
end

-- Finds the plug-in on the route and checks what Ardour knows of it; returns its processor.
function helpers.find_checked_plugin(route)
	local processor = find_plugin(route)
	expect(processor ~= nil, "the track holds '%s'", helpers.plugin_name)
	local insert = processor:to_plugininsert()
	local plugin = insert:plugin(0)
	expect(plugin:parameter_count() == helpers.parameter_count, "%d parameters (Ardour lists %d)",
		helpers.parameter_count, plugin:parameter_count())
	for index, name in pairs(helpers.parameter_names) do
		expect(plugin:parameter_label(index) == name, "parameter %d is '%s' (Ardour lists '%s')",
			index, name, plugin:parameter_label(index))
	end
	expect(insert:input_streams():n_audio() == 2 and insert:output_streams():n_audio() == 2,
		"the insert runs the plug-in stereo in, stereo out")
	expect(insert:signal_latency() == helpers.latency, "Ardour reports the plug-in's latency of %d samples (%d)",
		helpers.latency, insert:signal_latency())
	expect(processor:active(), "the insert is active")
	if helpers.lv2 then
		expect(plugin:preset_by_label("Warm Low Pass").valid, "Ardour lists the factory preset 'Warm Low Pass'")
	end
	return processor
end

-- Exports the session range from the master bus as 32-bit float WAV $KAVREN_EXPORT_DIR/<name>.wav.
function helpers.export_session(name)
	local export = Session:simple_export()
	expect(export:set_preset(helpers.setting("KAVREN_EXPORT_PRESET")), "the float WAV export preset is known")
	export:set_folder(helpers.setting("KAVREN_EXPORT_DIR"))
	export:set_name(name)
	expect(export:check_outputs(), "the master bus has outputs to export")
	expect(export:run_export(), "the export of '%s' finished", name)
end

return helpers
