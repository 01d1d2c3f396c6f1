# Sourced by tools/run.sh: the demo medium and the local server that
# publishes its installer list file. The run build asks 127.0.0.1 at
# $demo_port for the list file (OVN_LIST_HOST / OVN_LIST_PORT).
demo_port=28690

# demo_prepare BUILD_DIR WINEPREFIX: makes the medium and the site, clears
# an earlier download from the prefix's %temp%, starts the server; sets
# demo_launcher and demo_dir.
demo_prepare() {
  local build="$1" prefix="$2" root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  demo_dir="$build/demo"
  demo_launcher="$(python3 "$root/tools/demo/prepare_demo.py" \
    --launcher "$build/launcher/ovn6launcher.exe" \
    --standin "$build/tools/standin-setup/ovn_standin_setup.exe" \
    --out "$demo_dir" --port "$demo_port")"
  demo_temp="$prefix/drive_c/users/$(id -un)/Temp/ovn6setup"
  rm -rf "$demo_temp"
  python3 -m http.server "$demo_port" --bind 127.0.0.1 --directory "$demo_dir/site" \
    </dev/null >"$demo_dir/server.log" 2>&1 &
  demo_server_pid=$!
  local _
  for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$demo_port") 2>/dev/null && break
    sleep 0.1
  done
  echo "demo medium: $demo_dir/medium (list file served on 127.0.0.1:$demo_port)"
}

# What the demo did: the server's requests and the setup programs started.
demo_report() {
  echo "--- requests to the demo server"
  grep -o '"GET [^"]*"' "$demo_dir/server.log" || echo "(none)"
  echo "--- setup programs started (the downloaded one records beside itself)"
  cat "$demo_dir/setup-starts.txt" "$demo_temp/standin-record.txt" 2>/dev/null | tr -d '\r' \
    | grep -E '^(command_line|working_folder)=' || echo "(none)"
}

demo_stop() {
  [ -n "${demo_server_pid:-}" ] && kill "$demo_server_pid" 2>/dev/null || true
  demo_server_pid=
}
