<?xml version="1.0"?>
<!-- The groups, by name, each with its member accounts in member order and
     edit and delete links. Links carry the group name as it is. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:key name="head" match="/Data/AcMaster/a" use="@Code"/>

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
              <TD class="text">
                <xsl:call-template name="members">
                  <xsl:with-param name="rest" select="substring-after(@gi, ',')"/>
                </xsl:call-template>
              </TD>
              <TD class="text"><A href="[*[E]*]{.}">Edit</A></TD>
              <TD class="text"><A href="[*[D]*]{.}">Delete</A></TD>
            </TR>
          </xsl:for-each>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>

  <!-- The names of the codes in rest ("3,1,7,"), joined by ", "; codes
       without an account head are left out. -->
  <xsl:template name="members">
    <xsl:param name="rest"/>
    <xsl:param name="separator" select="''"/>
    <xsl:if test="contains($rest, ',')">
      <xsl:variable name="name" select="key('head', normalize-space(substring-before($rest, ',')))/@AcName"/>
      <xsl:if test="$name">
        <xsl:value-of select="concat($separator, $name)"/>
      </xsl:if>
      <xsl:call-template name="members">
        <xsl:with-param name="rest" select="substring-after($rest, ',')"/>
        <xsl:with-param name="separator">
          <xsl:choose>
            <xsl:when test="$name">, </xsl:when>
            <xsl:otherwise><xsl:value-of select="$separator"/></xsl:otherwise>
          </xsl:choose>
        </xsl:with-param>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
