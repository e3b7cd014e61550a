<?xml version="1.0"?>
<!-- The groups, by name, each with its member accounts in member order and
     edit and delete links. Links carry the group name as it is. The groups
     window gives each Group a Members attribute: the names of its member
     accounts, worked out by the program. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>

  <xsl:template match="/">
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>Groups</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="140">Group</TH><TH width="240">Accounts</TH><TH width="40">&#160;</TH><TH width="50">&#160;</TH></TR>
          <xsl:for-each select="/Data/Groups/Group">
            <xsl:sort select="translate(., 'abcdefghijklmnopqrstuvwxyz', 'ABCDEFGHIJKLMNOPQRSTUVWXYZ')"/>
            <TR id="id{.}">
              <TD class="text" style="white-space:nowrap"><A href="{.}"><xsl:value-of select="."/></A></TD>
              <TD class="text"><xsl:value-of select="@Members"/></TD>
              <TD class="text"><A href="[*[E]*]{.}">Edit</A></TD>
              <TD class="text"><A href="[*[D]*]{.}">Delete</A></TD>
            </TR>
          </xsl:for-each>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
