-- Wireshark plugin of the VX-5200 tools: LAPB and SDLC with modulo 128
-- sequence numbers (two-octet control field of I and S frames), as
-- `vx5pcap -f3` and `vx5pcap -f1` export them. Wireshark's own LAPB and SDLC
-- dissectors read the control field modulo 8 only.
--
-- vx5pcap names the protocol (lapb128 or sdlc128) in each packet's
-- exported-PDU tags with the direction (DTE to DCE sent, DCE to DTE
-- received); the packet's bytes are the line the frame came on (0 SD, 1 RD),
-- then the frame as the listing reads it: address, control, information.
-- Frame type names are those of the vx5cvt listing, chosen by the line;
-- the I frame's information field goes on to X.25 (LAPB) or SNA (SDLC).
--
-- Written for the Lua 5.2 of Wireshark 4.0 to 4.2; it also runs on the
-- Lua 5.3 and 5.4 of later releases (no bit operators, no integer division).
-- Install: copy into the personal Lua plugins folder
-- (~/.local/lib/wireshark/plugins), or load once with
-- `tshark -X lua_script:vx5200_mod128.lua`.

local floor = math.floor
local format = string.format

local LINES = {[0] = "SD", [1] = "RD"}

-- Supervisory functions, control bits 2-3; the listing leaves 3 unnamed.
local S_FUNCTIONS = {[0] = "RR", [1] = "RNR", [2] = "REJ", [3] = "SREJ"}

-- Unnumbered names by control octet without P/F (octet AND 0xEF), for frames
-- on SD and on RD, as the listing names them.
local SDLC_UNNUMBERED = {
    [0x03] = {"UI", "UI"}, [0x07] = {"SIM", "RIM"}, [0x0F] = {nil, "DM"},
    [0x23] = {"UP", nil}, [0x43] = {"DISC", "RD"}, [0x63] = {nil, "UA"},
    [0x83] = {"SNRM", nil}, [0x87] = {nil, "FRMR"}, [0xAF] = {"XID", "XID"},
    [0xC7] = {"CFGR", "CFGR"}, [0xCF] = {"SNRME", nil}, [0xE3] = {"TEST", "TEST"},
    [0xEF] = {nil, "BCN"},
}
local LAPB_UNNUMBERED = {
    [0x0F] = {"SARM", "DM"}, [0x2F] = {"SABM", nil}, [0x43] = {"DISC", nil},
    [0x63] = {nil, "UA"}, [0x6F] = {"SABME", nil}, [0x87] = {nil, "FRMR"},
}

-- Per first control octet c: its format, N(S) of an I frame, P/F of a U frame.
local I_FRAME, S_FRAME, U_FRAME = 0, 1, 2
local FORMAT, NS, U_PF = {}, {}, {}
-- Per second control octet: P/F and N(R).
local PF, NR = {}, {}
for c = 0, 255 do
    if c % 2 == 0 then FORMAT[c] = I_FRAME elseif c % 4 == 1 then FORMAT[c] = S_FRAME else FORMAT[c] = U_FRAME end
    NS[c] = floor(c / 2)
    U_PF[c] = floor(c / 16) % 2
    PF[c] = c % 2
    NR[c] = floor(c / 2)
end

-- The frame type names of one protocol by line (0 SD, 1 RD) and first control
-- octet: INFO, the S function (none when bits 4-7 are set), the U name on
-- that line; an octet without a name shows in parentheses as in the listing.
local function type_names(unnumbered)
    local names = {}
    for line = 0, 1 do
        local t = {}
        for c = 0, 255 do
            local name
            if FORMAT[c] == I_FRAME then
                name = "INFO"
            elseif FORMAT[c] == S_FRAME then
                if c < 16 then name = S_FUNCTIONS[floor(c / 4) % 4] end
            else
                local row = unnumbered[c - (floor(c / 16) % 2) * 16]
                name = row and row[line + 1]
            end
            t[c] = name or format("(%02X)", c)
        end
        names[line] = t
    end
    return names
end

-- The U functions' value names: both lines' names, "SARM/DM" where they differ.
local function function_names(unnumbered)
    local names = {}
    for octet, row in pairs(unnumbered) do
        local sd, rd = row[1], row[2]
        names[octet] = (sd and rd and sd ~= rd) and (sd .. "/" .. rd) or sd or rd
    end
    return names
end

local function register(name, description, unnumbered, payload_name)
    local proto = Proto(name, description)
    local abbrev = name:lower()
    local f = {
        line = ProtoField.string(abbrev .. ".line", "Line"),
        address = ProtoField.uint8(abbrev .. ".address", "Address", base.HEX),
        control = ProtoField.uint16(abbrev .. ".control", "Control", base.HEX),
        control_u = ProtoField.uint8(abbrev .. ".control", "Control", base.HEX),
        type = ProtoField.string(abbrev .. ".type", "Frame type"),
        ns = ProtoField.uint8(abbrev .. ".ns", "N(S)", base.DEC),
        nr = ProtoField.uint8(abbrev .. ".nr", "N(R)", base.DEC),
        pf = ProtoField.uint8(abbrev .. ".pf", "P/F", base.DEC),
        s_func = ProtoField.uint8(abbrev .. ".s_func", "Supervisory function", base.DEC, S_FUNCTIONS, 0x0C),
        u_func = ProtoField.uint8(abbrev .. ".u_func", "Unnumbered function", base.HEX,
                                  function_names(unnumbered), 0xEF),
        info = ProtoField.bytes(abbrev .. ".info", "Information field"),
    }
    proto.fields = {f.line, f.address, f.control, f.control_u, f.type, f.ns, f.nr, f.pf, f.s_func, f.u_func, f.info}

    local names = type_names(unnumbered)
    local payload = Dissector.get(payload_name)
    local summaries = {}  -- Info column texts, by line and control octets

    -- Source and destination as Wireshark's LAPB shows them, by direction.
    local SOURCES = {[0] = "DTE", [1] = "DCE"}
    local DESTINATIONS = {[0] = "DCE", [1] = "DTE"}

    function proto.dissector(tvb, pinfo, tree)
        local n = tvb:len()
        local cols = pinfo.cols
        local dir = pinfo.p2p_dir
        cols.dl_src_res = SOURCES[dir] or "N/A"
        cols.dl_dst_res = DESTINATIONS[dir] or "N/A"
        if n == 0 then
            cols.protocol = name
            return
        end
        local line, address, c1, c2 = tvb:raw(0, n < 4 and n or 4):byte(1, 4)
        line = line == 0 and 0 or 1
        -- The header: line, address, one control octet for U frames and
        -- for an I or S frame cut after its first, two otherwise.
        local kind = c1 and FORMAT[c1]
        local header = c1 and ((kind == U_FRAME or not c2) and 3 or 4) or n
        local t = tree:add(proto, tvb(0, header))
        t:add(f.line, tvb(0, 1), LINES[line])
        local summary
        if c1 then
            t:add(f.address, tvb(1, 1))
            local first = tvb(2, 1)
            local type_name = names[line][c1]
            t:add(f.type, first, type_name)
            local key = line * 65536 + c1 * 256 + (c2 or 0)
            summary = summaries[key]
            if kind == U_FRAME then
                t:add(f.control_u, first)
                t:add(f.u_func, first)
                t:add(f.pf, first, U_PF[c1])
                if not summary then
                    summary = format("%s P/F=%d", type_name, U_PF[c1])
                    summaries[key] = summary
                end
            elseif not c2 then
                t:add(f.control_u, first)
                if kind == I_FRAME then t:add(f.ns, first, NS[c1]) end
                summary = type_name
            else
                t:add_le(f.control, tvb(2, 2))
                if kind == I_FRAME then
                    t:add(f.ns, first, NS[c1])
                elseif c1 < 16 then
                    t:add(f.s_func, first)
                end
                local second = tvb(3, 1)
                t:add(f.pf, second, PF[c2])
                t:add(f.nr, second, NR[c2])
                if not summary then
                    if kind == I_FRAME then
                        summary = format("INFO N(S)=%d N(R)=%d P/F=%d", NS[c1], NR[c2], PF[c2])
                    else
                        summary = format("%s N(R)=%d P/F=%d", type_name, NR[c2], PF[c2])
                    end
                    summaries[key] = summary
                end
            end
        elseif address then
            t:add(f.address, tvb(1, 1))
        end
        if header < n then
            local info = tvb(header)
            t:add(f.info, info)
            if kind == I_FRAME then
                -- X.25 or SNA fills the columns. A malformed packet is marked
                -- by its own dissector; its error must not end this one.
                pcall(payload.call, payload, info:tvb(), pinfo, tree)
                return
            end
        end
        cols.protocol = name
        if summary then cols.info = summary end
    end
    return proto
end

register("LAPB128", "Link Access Procedure Balanced, modulo 128", LAPB_UNNUMBERED, "x.25")
register("SDLC128", "Synchronous Data Link Control, modulo 128", SDLC_UNNUMBERED, "sna")
